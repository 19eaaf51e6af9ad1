#include "print_procedures.h"

#include <QMutex>

namespace printing {

namespace {

struct DocumentKind {
  const char* code;
  const char* table;
  const char* numberColumn;
  const char* cancelColumn;
};

const DocumentKind kKinds[] = {
    {"CONSOLIDAT", "ConsolidateHd", "DocNo", "Delflag"},
    {"CONSOTOIV", "ConsolidateHd", "DocNo", "Delflag"},
    {"MONEYBILL", "MoneyBill", "Docno", "Delflag"},
    {"IV", "IvHd", "IvNo", "DelFlag"},
    {"TR", "TransferHd", "TrNo", "DelFlag"},
};

void checkDocumentProc(db::Connection& c, db::Params& p) {
  const db::Param* no = p.find(QStringLiteral("No"));
  const db::Param* code = p.find(QStringLiteral("DocCode"));
  const QString docNo = no ? db::Params::typedValue(*no).toString() : QString();
  checkDocumentToPrint(c, docNo, code ? db::Params::typedValue(*code).toString() : QString());
  db::Param& out = p[QStringLiteral("NewDocNo")];
  out.value = docNo;
  if (out.type == db::ParamType::Unknown) out.type = db::ParamType::Text;
}

}  // namespace

void checkDocumentToPrint(db::Connection& company, const QString& docNo, const QString& docCode) {
  const QString code = docCode.trimmed().toUpper();
  const DocumentKind* kind = nullptr;
  for (const auto& k : kKinds)
    if (code == QLatin1String(k.code)) kind = &k;
  if (!kind) return;

  db::Params params;
  params.setText(QStringLiteral("No"), docNo.trimmed());
  const db::Result r = company.select(
      QStringLiteral("Select Count(*) As Docs, Sum(Case When %3 = 'Y' Then 0 Else 1 End) As Live From %1 Where %2 = :No")
          .arg(QLatin1String(kind->table), QLatin1String(kind->numberColumn), QLatin1String(kind->cancelColumn)),
      params);
  const QString shown = docNo.trimmed();
  qint64 docs = r.asInt(QStringLiteral("Docs"));
  qint64 live = r.asInt(QStringLiteral("Live"));
  if (docs == 0 && code == QLatin1String("CONSOLIDAT")) {
    // The number a web import stamped on the zone's sales orders: its load sheet lists them.
    const db::Result so = company.select(
        QStringLiteral("Select Count(*) As Docs, Sum(Case When DelFlag = 'Y' Then 0 Else 1 End) As Live From SoHd Where ConsoNo = :No"),
        params);
    docs = so.asInt(QStringLiteral("Docs"));
    live = so.asInt(QStringLiteral("Live"));
  }
  if (docs == 0) throw db::Error(QStringLiteral("ไม่พบเอกสารเลขที่ ") + shown);
  if (live == 0)
    throw db::Error(QStringLiteral("เอกสารเลขที่ ") + shown + QStringLiteral(" ถูกยกเลิกแล้ว"));

  if (code == QLatin1String("CONSOTOIV")) {
    const db::Result iv = company.select(
        QStringLiteral("Select Count(*) As Invoices From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd\n"
                       "Where H.DocNo = :No And Coalesce(H.Delflag, 'N') <> 'Y' And D.ToConso = 'Y' And Coalesce(D.IvNo, '') <> ''"),
        params);
    if (iv.asInt(QStringLiteral("Invoices")) == 0)
      throw db::Error(QStringLiteral("ใบจัดสินค้าเลขที่ ") + shown + QStringLiteral(" ยังไม่ได้ออกใบส่งของ"));
  }
}

void registerPrintProcedures() {
  static QMutex mutex;
  static bool done = false;
  QMutexLocker lock(&mutex);
  if (done) return;
  done = true;
  db::registerEmbeddedProcedure(QString::fromLatin1(kCheckDocumentToPrint), checkDocumentProc);
}

}  // namespace printing
