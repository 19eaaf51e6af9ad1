#include "shipped_forms.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include "embedded/schema.h"
#include "print_procedures.h"
#include "promptpay.h"
#include "textutil/whole_file.h"

// The templates are compiled in as resources (shipped_templates.qrc); a static library has to
// register them before the first use.
static void initShippedTemplates() { Q_INIT_RESOURCE(shipped_templates); }

namespace printing {

namespace {

const char* kResourceFolder = ":/shipped-templates/";

QString check() { return QString::fromLatin1(kCheckDocumentToPrint); }

}  // namespace

const QVector<ShippedForm>& shippedForms() {
  static const QVector<ShippedForm> forms = {
      {1, QStringLiteral("CONSOLIDAT"), QStringLiteral("ใบจัดสินค้าขึ้นรถ (เรียงตามลำดับการส่ง)"), QStringLiteral("Form_Consolidate.frf"),
       check(), QStringLiteral("CONSOLIDAT"), QStringLiteral("Y")},
      {2, QStringLiteral("CONSOLIDAT"), QStringLiteral("ใบรวมสินค้าจัดขึ้นรถ (แยกตามสินค้า)"), QStringLiteral("Form_ConsolidateProduct.frf"),
       check(), QStringLiteral("CONSOLIDAT"), QStringLiteral("Y")},
      {1, QStringLiteral("CONSOTOIV"), QStringLiteral("ใบส่งสินค้า/ใบแจ้งหนี้ ตามใบจัดสินค้า"), QStringLiteral("Form_ConsoToIV.frf"),
       check(), QStringLiteral("CONSOTOIV"), QStringLiteral("Y")},
      {1, QStringLiteral("MONEYBILL"), QStringLiteral("ใบรายการเก็บเงินตามเขต"), QStringLiteral("Form_MoneyBill.frf"), check(),
       QStringLiteral("MONEYBILL"), QStringLiteral("Y")},
      {1, QStringLiteral("IV-A"), QStringLiteral("ใบกำกับภาษี/ใบส่งสินค้า (ต้นฉบับ)"), QStringLiteral("Form_IV_A.frf"), check(),
       QStringLiteral("IV"), QStringLiteral("Y")},
      {2, QStringLiteral("IV-A"), QStringLiteral("ใบส่งสินค้า (สำเนา ไม่แสดงราคา)"), QStringLiteral("Form_IV_A_Copy.frf"), check(),
       QStringLiteral("IV"), QStringLiteral("N")},
      {1, QStringLiteral("STOCKTRFCONV2"), QStringLiteral("ใบโอนสินค้าฝากขาย"), QStringLiteral("Form_StockTrfConv2.frf"), check(),
       QStringLiteral("TR"), QStringLiteral("Y")},
  };
  return forms;
}

QStringList shippedTemplateFiles() {
  initShippedTemplates();
  QStringList files = QDir(QString::fromLatin1(kResourceFolder)).entryList(QDir::Files, QDir::Name);
  return files;
}

QByteArray shippedTemplate(const QString& fileName) {
  initShippedTemplates();
  if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\'))) return QByteArray();
  QFile f(QString::fromLatin1(kResourceFolder) + fileName);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

void installShippedForms(db::Connection& company, const QString& siteFolder) {
  const QDir dir(siteFolder);
  if (!dir.exists()) throw db::Error(QStringLiteral("The site folder %1 does not exist").arg(siteFolder));
  for (const QString& name : shippedTemplateFiles()) {
    QString reason;
    if (!textutil::WriteWholeFile(dir.filePath(name), shippedTemplate(name), &reason))
      throw db::Error(QStringLiteral("Cannot write the template %1: %2").arg(dir.filePath(name), reason));
  }

  const bool ownTransaction = !company.inTransaction();
  if (ownTransaction) company.startTransaction();
  try {
    embedded::ensureColumn(company, QStringLiteral("SystemForm"), QStringLiteral("ShowPrintPreview"), QStringLiteral("Char(1)"));
    // The company's PromptPay settings, which the invoice and collection forms read (empty: no QR).
    const QVector<data::UpgradeStep> promptPay = PromptPayUpgradeSteps();
    db::Script promptPayScript(company);
    promptPayScript.sql = data::ScriptLines(promptPay);
    data::RunUpgrade(company, promptPayScript, promptPay);
    QSet<QString> codes;
    for (const ShippedForm& f : shippedForms()) codes.insert(f.formCode);
    for (const QString& code : codes) {
      db::Params p;
      p.setText(QStringLiteral("FormCode"), code);
      company.execute(QStringLiteral("Delete From SystemForm Where LTrim(RTrim(FormCode)) = :FormCode"), p);
    }
    for (const ShippedForm& f : shippedForms()) {
      db::Params p;
      p.setInt(QStringLiteral("FormOrderNo"), f.formOrderNo);
      p.setText(QStringLiteral("FormCode"), f.formCode);
      p.setText(QStringLiteral("FormDesc"), f.formDesc);
      p.setText(QStringLiteral("FrfName"), f.frfName);
      p.setText(QStringLiteral("SpName"), f.spName);
      p.setText(QStringLiteral("DocCode"), f.docCode);
      p.setText(QStringLiteral("DocParaName"), QStringLiteral("DocNo"));
      p.setText(QStringLiteral("ShowPrintPreview"), f.showPrintPreview);
      company.execute(QStringLiteral("Insert Into SystemForm (FormOrderNo, FormCode, FormDesc, FrfName, SpName, DocCode, DocParaName, "
                                     "ShowPrintPreview) Values (:FormOrderNo, :FormCode, :FormDesc, :FrfName, :SpName, :DocCode, "
                                     ":DocParaName, :ShowPrintPreview)"),
                      p);
    }
    if (ownTransaction) company.commit();
  } catch (...) {
    if (ownTransaction) company.rollback();
    throw;
  }
}

void installShippedForms(const embedded::SiteInfo& site) {
  embedded::install();
  db::Connection company(QStringLiteral("ShippedForms"));
  embedded::setConnectionParams(company, site.folder, site.companyDatabase);
  installShippedForms(company, site.folder);
}

}  // namespace printing
