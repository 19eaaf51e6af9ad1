// Every shipped form holds what its fields hold: rendered with the demo site's documents and with
// the longest values the fields can realistically hold, no text object leaves out a line or cuts a
// glyph at its edge (the engine lists both as the prepared report's overflows). And the picking
// list's quantities per product, as printed, against the stored lines.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <numeric>

#include "app_fixture.h"
#include "qstring_print.h"
#include "report/function_library_registry.h"
#include "report/report.h"
#include "report_functions_setup.h"
#include "shipped_forms.h"

namespace {

const QString kSticker = QStringLiteral("Form_StickerBom_Varnotek.Frf");
const QString kVoucher = QStringLiteral("Form_GLAuto.frf");

// A Thai (or Latin) text of exactly `length` characters made of a realistic phrase repeated.
QString filled(const QString& phrase, int length) {
  QString s;
  while (s.size() < length) s += phrase;
  s.truncate(length);
  return s.trimmed().size() == length ? s : s.left(length - 1) + QStringLiteral("ก");
}

QString namePhrase() { return QStringLiteral("ห้างหุ้นส่วนจำกัด ประเสริฐการค้าและขนส่งสินค้าอุปโภคบริโภค สาขา 2 "); }
QString addressPhrase() {
  return QStringLiteral("เลขที่ 1234/567 หมู่บ้านพฤกษาวิลล์ ซอยรามอินทรา 40 แยก 12 ถนนรามอินทรา แขวงนวลจันทร์ เขตบึงกุ่ม ");
}

// One rendering of a form: the template in the site folder and its report variables.
struct Rendering {
  QString form;
  QMap<QString, QString> variables;  // name -> expression
  QStringList dialogAnswers;         // the sticker's dialog
};

class ShippedFormsFit : public ::testing::Test {
 protected:
  void SetUp() override {
    report::registerAddFunctionLibrary();  // as the program does at its start
    company = site.openCompany();
    config = site.openConfig();
    printing::installShippedForms(*company, site.folder());
  }

  QStringList column(const QString& sql) {
    QStringList out;
    const db::Result r = company->select(sql);
    for (const auto& row : r.rows()) out << row.value(0).toString().trimmed();
    return out;
  }

  static QString literal(const QString& text) { return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); }

  // Every shipped form with every document of the site it prints.
  QVector<Rendering> renderings() {
    QVector<Rendering> out;
    const auto add = [&](const QString& form, const QStringList& docs) {
      EXPECT_FALSE(docs.isEmpty()) << form.toStdString();
      for (const QString& no : docs) out.push_back({form, {{QStringLiteral("DocNo"), literal(no)}, {QStringLiteral("UserCode"), QStringLiteral("'ADMIN'")}}, {}});
    };
    const QStringList conso = column("Select DocNo From ConsolidateHd Where Delflag <> 'Y' Union Select Distinct ConsoNo From SoHd "
                                     "Where ConsoNo Is Not Null And ConsoNo <> '' And ConsoNo Not In (Select DocNo From ConsolidateHd)");
    add(QStringLiteral("Form_Consolidate.frf"), conso);
    add(QStringLiteral("Form_ConsolidateProduct.frf"), conso);
    add(QStringLiteral("Form_ConsoToIV.frf"), column("Select DocNo From ConsolidateHd Where Confirm = 'Y' And Delflag <> 'Y'"));
    add(QStringLiteral("Form_MoneyBill.frf"), column("Select Distinct Docno From MoneyBill Where Delflag <> 'Y'"));
    const QStringList invoices = column("Select IvNo From IvHd Where Coalesce(DelFlag, 'N') <> 'Y'");
    add(QStringLiteral("Form_IV_A.frf"), invoices);
    add(QStringLiteral("Form_IV_A_Copy.frf"), invoices);
    add(QStringLiteral("Form_StockTrfConv2.frf"), column("Select TrNo From TransferHd Where Coalesce(DelFlag, 'N') <> 'Y'"));
    const auto voucher = [&](const QString& kind, const QStringList& docs) {
      for (const QString& no : docs)
        out.push_back({kVoucher,
                       {{QStringLiteral("DocNo"), literal(no)}, {QStringLiteral("DocYear"), QStringLiteral("2026")},
                        {QStringLiteral("PrintCode"), literal(kind)}, {QStringLiteral("UserCode"), QStringLiteral("'ADMIN'")}},
                       {}});
    };
    voucher(QStringLiteral("A-SALE"), invoices.mid(0, 3));
    voucher(QStringLiteral("CONSOTOIV"), column("Select DocNo From ConsolidateHd Where Confirm = 'Y' And Delflag <> 'Y'"));
    voucher(QStringLiteral("STOCKTRFCONV2"), column("Select TrNo From TransferHd"));
    const QStringList boxes = column("Select BarCode From BoxNo Where Coalesce(Delflag, 'N') <> 'Y' Order By BarCode");
    EXPECT_FALSE(boxes.isEmpty());
    if (!boxes.isEmpty()) out.push_back({kSticker, {{QStringLiteral("CountNo"), QStringLiteral("1")}}, {boxes.first(), boxes.last(), QString()}});
    // Every shipped template is rendered.
    QSet<QString> forms;
    for (const Rendering& r : out) forms.insert(r.form);
    for (const QString& file : printing::shippedTemplateFiles()) EXPECT_TRUE(forms.contains(file)) << file.toStdString();
    return out;
  }

  // Prepares a rendering as the print dialog does; the overflows, described.
  QStringList overflowsOf(const Rendering& r, const QString& templatePath = QString()) {
    report::Report rep;
    rep.setConnection(*company);
    printing::setupReportFunctions(rep, company.get());
    const QStringList answers = r.dialogAnswers;
    rep.setDialogAnswerer([answers](const report::DialogDef&, QStringList& values) {
      for (int i = 0; i < values.size() && i < answers.size(); ++i) values[i] = answers[i];
      return true;
    });
    const QString path = templatePath.isEmpty() ? QDir(site.folder()).filePath(r.form) : templatePath;
    EXPECT_TRUE(rep.loadFromFile(path)) << path.toStdString();
    for (auto it = r.variables.begin(); it != r.variables.end(); ++it) rep.setVariable(it.key(), it.value());
    QStringList out;
    try {
      EXPECT_TRUE(rep.prepare());
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
      return out;
    }
    bool empty = true;
    for (const report::PreparedPage& page : rep.prepared().pages) empty = empty && page.items.isEmpty();
    EXPECT_FALSE(empty) << r.form.toStdString() << " " << r.variables.value(QStringLiteral("DocNo")).toStdString();
    for (const report::Overflow& f : rep.prepared().overflows) out << f.describe();
    // SHIPPED_FORMS_KEEP names a folder that keeps every rendering as a PDF (scripts/look-at-forms).
    const QString keep = qEnvironmentVariable("SHIPPED_FORMS_KEEP");
    if (!keep.isEmpty() && templatePath.isEmpty()) {
      QString doc = r.variables.value(QStringLiteral("DocNo"), r.dialogAnswers.value(0));
      doc.remove(QLatin1Char('\'')).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
      QDir().mkpath(keep);
      rep.exportPdf(QDir(keep).filePath(QStringLiteral("%1-%2-%3%4.pdf").arg(values, QFileInfo(r.form).completeBaseName(), doc,
                                                                          r.variables.value(QStringLiteral("PrintCode")).remove(QLatin1Char('\'')))));
    }
    return out;
  }

  void expectEveryFormWhole() {
    for (const Rendering& r : renderings()) {
      SCOPED_TRACE(r.form.toStdString() + " " + r.variables.value(QStringLiteral("DocNo")).toStdString());
      const QStringList overflows = overflowsOf(r);
      EXPECT_TRUE(overflows.isEmpty()) << overflows.join(QLatin1Char('\n')).toStdString();
    }
  }

  void exec(const QString& sql, const db::Params& p = db::Params()) { company->execute(sql, p); }

  // Spreads `total` over the rows of `ids` (two decimals), the first row taking the remainder, so that
  // a document's lines add up to its total.
  void spread(const QString& table, const QString& column, const QStringList& ids, double total) {
    if (ids.isEmpty()) return;
    const qint64 cents = static_cast<qint64>(std::llround(total * 100));
    const qint64 each = cents / ids.size();
    for (int i = 0; i < ids.size(); ++i) {
      db::Params p;
      p.setFloat(QStringLiteral("V"), static_cast<double>(i == 0 ? cents - each * (ids.size() - 1) : each) / 100.0);
      p.setInt(QStringLiteral("Id"), ids[i].toLongLong());
      exec(QStringLiteral("Update %1 Set %2 = :V Where Id = :Id").arg(table, column), p);
    }
  }

  // The longest values the printed fields can realistically hold: names, addresses and remarks at
  // their columns' lengths, the company's full letterhead, dates whose long Thai form is the widest
  // (28 November), amounts of 9,999,999.99.
  void fillLongestValues() {
    values = QStringLiteral("longest");
    db::Params c;
    c.setText(QStringLiteral("NameThai"), filled(QStringLiteral("บริษัท ศรีสมบูรณ์พาณิชย์และการค้าระหว่างประเทศ จำกัด (มหาชน) "), 150));
    c.setText(QStringLiteral("NameEng"), filled(QStringLiteral("SRISOMBOON COMMERCE AND INTERNATIONAL TRADING PUBLIC COMPANY LIMITED "), 150));
    c.setText(QStringLiteral("Address"), filled(addressPhrase(), 100));
    c.setText(QStringLiteral("Province"), filled(QStringLiteral("พระนครศรีอยุธยา "), 50));
    c.setText(QStringLiteral("Zip"), QStringLiteral("13000"));
    c.setText(QStringLiteral("Telephone"), filled(QStringLiteral("0-2345-6789 ต่อ 1234, 08-1234-5678, "), 50));
    // A fax line and an e-mail address as long as real ones are; their columns (50 and 100) hold lists.
    c.setText(QStringLiteral("Fax"), QStringLiteral("0-2345-6790, 0-2345-6791"));
    c.setText(QStringLiteral("EMail"), QStringLiteral("accounting@srisomboon-commerce.co.th"));
    c.setText(QStringLiteral("TaxNo"), QStringLiteral("0107559000123"));
    c.setText(QStringLiteral("BranchCode"), QStringLiteral("00012"));
    config->execute(QStringLiteral("Update Company Set NameThai = :NameThai, NameEng = :NameEng, Address1 = :Address, Address2 = :Address, "
                                   "Address3 = :Address, Address4 = :Address, Province = :Province, Zip = :Zip, Telephone = :Telephone, "
                                   "Fax = :Fax, EMail = :EMail, TaxNo = :TaxNo, TaxBranchHead = 'N', TaxBranchCode = :BranchCode"),
                    c);

    db::Params p;
    p.setText(QStringLiteral("Name"), filled(namePhrase(), 150));
    p.setText(QStringLiteral("Address"), filled(addressPhrase(), 100));
    p.setText(QStringLiteral("Phone"), filled(QStringLiteral("08-1234-5678, 0-2345-6789 ต่อ 12, "), 50));
    exec(QStringLiteral("Update Customer Set Name = :Name, Address1 = :Address, Address2 = :Address, Address3 = :Address, ZIPCode = '10230', "
                        "PhoneNo = :Phone, TaxNumber = '0105551234567', BranchHead = 'N', BranchCode = '00002'"),
         p);
    db::Params m;
    m.setText(QStringLiteral("Description"), filled(QStringLiteral("พระนครศรีอยุธยา เขตส่งสินค้าฝั่งตะวันออก "), 100));
    exec(QStringLiteral("Update Misc Set Description = :Description"), m);
    // A province's name is at most that of the longest province.
    exec(QStringLiteral("Update Misc Set Description = 'พระนครศรีอยุธยา' Where GroupCode = 'CITY'"));
    exec(QStringLiteral("Update Warehouse Set Description = :Description"), m);
    db::Params s;
    s.setText(QStringLiteral("Name"), filled(QStringLiteral("ประเสริฐศักดิ์ "), 30));
    s.setText(QStringLiteral("Surname"), filled(QStringLiteral("ศรีสมบูรณ์วงศ์ "), 30));
    exec(QStringLiteral("Update Salesman Set Name = :Name, Surname = :Surname"), s);
    db::Params pr;
    pr.setText(QStringLiteral("Name"), filled(QStringLiteral("น้ำยาล้างจานสูตรเข้มข้นกลิ่นมะนาวและใบชาเขียว ขนาดบรรจุ 3,600 มล. แพ็ค 4 ขวด "), 150));
    exec(QStringLiteral("Update Product Set ThaiName = :Name"), pr);
    db::Params u;
    u.setText(QStringLiteral("Unit"), filled(QStringLiteral("แพ็คใหญ่พิเศษ "), 30));
    exec(QStringLiteral("Update ProductUnits Set UnitName = :Unit"), u);

    const QDateTime longest(QDate(2026, 11, 28), QTime(0, 0));
    db::Params h;
    h.setText(QStringLiteral("Person"), filled(QStringLiteral("นายประเสริฐศักดิ์ ศรีสมบูรณ์วงศ์ "), 100));
    h.setText(QStringLiteral("Plate"), filled(QStringLiteral("1กข 1234 พระนครศรีอยุธยา "), 30));
    const QString remark = filled(QStringLiteral("ส่งสินค้าก่อนเที่ยง โทรแจ้งลูกค้าก่อนถึง 30 นาที ห้ามวางซ้อนเกินสามชั้น "), 200);
    h.setText(QStringLiteral("Remark"), remark);
    h.setDateTime(QStringLiteral("Date"), longest);
    exec(QStringLiteral("Update ConsolidateHd Set Carman = :Person, Porter1 = :Person, Porter2 = :Person, Porter3 = :Person, "
                        "LicensePlate = :Plate, Remark = :Remark, DocDate = :Date, SendDate = :Date"),
         h);
    exec(QStringLiteral("Update MoneyBill Set Responsible = :Person, Remark = :Remark, DocDate = :Date"), h);
    exec(QStringLiteral("Update BoxNo Set SendDate = :Date"), h);
    db::Params iv;
    iv.setText(QStringLiteral("Reference"), filled(QStringLiteral("PO-2569/11-000123 "), 30));
    iv.setText(QStringLiteral("Remark"), remark);
    iv.setDateTime(QStringLiteral("Date"), longest);
    exec(QStringLiteral("Update IvHd Set Reference = :Reference, Remark = :Remark, IvDate = :Date, DueDate = :Date, "
                        "NoTaxAmt = 9345794.38, TaxAmt = 654205.61, Total = 9999999.99"),
         iv);
    exec(QStringLiteral("Update TransferHd Set Remark = :Remark, TrDate = :Date, Total = 9999999.99"), iv);
    for (const QString& doc : column("Select Id From IvHd")) {
      const QStringList lines = column(QStringLiteral("Select Id From IvDt Where IvHd = %1 Order By IvRecNo").arg(doc));
      spread(QStringLiteral("IvDt"), QStringLiteral("Total"), lines, 9345794.38);
      spread(QStringLiteral("IvDt"), QStringLiteral("Price"), lines, 9345794.38);
    }
    for (const QString& doc : column("Select Id From TransferHd")) {
      const QStringList lines = column(QStringLiteral("Select Id From TransferDt Where TransferHd = %1 Order By TrRecNo").arg(doc));
      spread(QStringLiteral("TransferDt"), QStringLiteral("Total"), lines, 9999999.99);
      spread(QStringLiteral("TransferDt"), QStringLiteral("Price"), lines, 9999999.99);
    }
    for (const QString& doc : column("Select Distinct Docno From MoneyBill")) {
      const QStringList lines = column(QStringLiteral("Select Id From MoneyBill Where Docno = '%1' Order By Id").arg(doc));
      spread(QStringLiteral("MoneyBill"), QStringLiteral("DocAmount"), lines, 9999999.99);
      spread(QStringLiteral("MoneyBill"), QStringLiteral("BalanceAmount"), lines, 9999999.99);
    }
    exec(QStringLiteral("Update IvDt Set Quantity = 9999"));
    // A company that takes PromptPay: the invoices and the collection list print their payment code.
    exec(QStringLiteral("Update Config Set PromptPayId = '0105500000000'"));
  }

  testsupport::TempSite site;
  std::unique_ptr<db::Connection> company, config;
  QString values = QStringLiteral("demo");  // which values the documents hold: demo or longest
};

TEST_F(ShippedFormsFit, EveryFormHoldsTheDemoDocuments) { expectEveryFormWhole(); }

TEST_F(ShippedFormsFit, EveryFormHoldsTheLongestValues) {
  fillLongestValues();
  expectEveryFormWhole();
}

// The check finds an object made too small: a shipped form whose customer name is given a third of
// its width and no room to grow, and the letterhead's name less than a line's height and no room to grow.
TEST_F(ShippedFormsFit, AnObjectMadeTooSmallIsReportedByFormBandObjectAndValue) {
  fillLongestValues();
  const QString form = QStringLiteral("Form_IV_A.frf");
  QFile f(QDir(site.folder()).filePath(form));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QJsonObject t = QJsonDocument::fromJson(f.readAll()).object();
  QJsonArray bands = t.value(QStringLiteral("bands")).toArray();
  int changed = 0;
  for (int b = 0; b < bands.size(); ++b) {
    QJsonObject band = bands[b].toObject();
    QJsonArray objects = band.value(QStringLiteral("objects")).toArray();
    for (int i = 0; i < objects.size(); ++i) {
      QJsonObject o = objects[i].toObject();
      const QString name = o.value(QStringLiteral("name")).toString();
      if (name == QLatin1String("CusNameText")) {
        o.insert(QStringLiteral("width"), 38);
        o.insert(QStringLiteral("wordWrap"), false);
        o.insert(QStringLiteral("stretch"), false);
        ++changed;
      } else if (name == QLatin1String("CompanyName")) {
        o.insert(QStringLiteral("height"), 5);  // lower than one line of its type
        o.insert(QStringLiteral("stretch"), false);
        ++changed;
      }
      objects[i] = o;
    }
    band.insert(QStringLiteral("objects"), objects);
    bands[b] = band;
  }
  ASSERT_EQ(changed, 2);
  t.insert(QStringLiteral("bands"), bands);
  const QString small = QDir(site.folder()).filePath(QStringLiteral("small") + form);
  QFile out(small);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(QJsonDocument(t).toJson());
  out.close();

  const QString invoice = column("Select Min(IvNo) From IvHd").value(0);
  const QString customer = column(QStringLiteral("Select C.Name From IvHd I Inner Join Customer C On C.Id = I.Customer Where I.IvNo = '%1'").arg(invoice)).value(0);
  const QString companyName = config->select(QStringLiteral("Select Min(NameThai) As N From Company")).asString(QStringLiteral("N"));
  QStringList overflows = overflowsOf({form, {{QStringLiteral("DocNo"), literal(invoice)}}, {}}, small);
  overflows.sort();
  const QString where = QStringLiteral("smallForm_IV_A.frf: band 'Header', object '%1', page 1: %2 '%3'");
  EXPECT_EQ(overflows, (QStringList{where.arg(QStringLiteral("CompanyName"), QStringLiteral("glyphs cut of"), companyName),
                                    where.arg(QStringLiteral("CompanyName"), QStringLiteral("lines left out of"), companyName),
                                    where.arg(QStringLiteral("CusNameText"), QStringLiteral("glyphs cut of"), customer)}));
  // The shipped form itself holds the same values.
  EXPECT_TRUE(overflowsOf({form, {{QStringLiteral("DocNo"), literal(invoice)}}, {}}).isEmpty());
}

// Greatest common divisor for the fractions of a stock unit.
qint64 gcd(qint64 a, qint64 b) { return b == 0 ? a : gcd(b, a % b); }

// The picking list sums the consolidation's lines per product: in small units ("1,230 ขวด") and in
// stock units with the rest as a fraction of one ("102 1/2  ลัง"), as counted here from the stored
// lines that go on the truck.
TEST_F(ShippedFormsFit, ThePickingListPrintsEachProductsTotalOfTheStoredLines) {
  const QStringList conso = column("Select DocNo From ConsolidateHd Where Delflag <> 'Y' Order By DocNo");
  ASSERT_FALSE(conso.isEmpty());
  int productsChecked = 0;
  for (const QString& no : conso) {
    SCOPED_TRACE(no.toStdString());
    // Expected, per product code: small units, small unit name, stock unit size and name.
    struct Total {
      qint64 small = 0;
      QString smallName, stockName;
      qint64 stockFraction = 1;
    };
    QMap<QString, Total> expected;
    db::Params p;
    p.setText(QStringLiteral("No"), no);
    const db::Result lines = company->select(
        QStringLiteral("Select P.Code, D.SendQnty, U.Fraction, D.ToConso, "
                       "(Select Min(X.UnitName) From ProductUnits X Where X.Product = P.Id And X.SmallUnitFlag = 'Y') As SmallName, "
                       "(Select Min(X.UnitName) From ProductUnits X Where X.Product = P.Id And X.StockUnitFlag = 'Y') As StockName, "
                       "(Select Min(X.Fraction) From ProductUnits X Where X.Product = P.Id And X.StockUnitFlag = 'Y') As StockFraction "
                       "From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd Inner Join Product P On P.Id = D.Product "
                       "Inner Join ProductUnits U On U.Id = D.ProductUnits Where H.DocNo = :No"),
        p);
    for (const auto& row : lines.rows()) {
      if (row.value(3).toString().trimmed() != QLatin1String("Y")) continue;  // not on the truck
      Total& t = expected[row.value(0).toString().trimmed()];
      const double small = row.value(1).toDouble() * row.value(2).toDouble();
      ASSERT_EQ(small, std::floor(small)) << "the demo sends whole small units";
      t.small += static_cast<qint64>(small);
      t.smallName = row.value(4).toString().trimmed();
      t.stockName = row.value(5).toString().trimmed();
      t.stockFraction = std::max<qint64>(1, row.value(6).toLongLong());
    }
    ASSERT_FALSE(expected.isEmpty());

    report::Report rep;
    rep.setConnection(*company);
    printing::setupReportFunctions(rep, company.get());
    ASSERT_TRUE(rep.loadFromFile(QDir(site.folder()).filePath(QStringLiteral("Form_ConsolidateProduct.frf"))));
    rep.setVariable(QStringLiteral("DocNo"), literal(no));
    ASSERT_TRUE(rep.prepare());
    // The printed rows: the texts of each row of the lines band, left to right, by the row's top.
    QMap<QString, QString> printed;  // product code -> the row's text
    qsizetype productRows = 0;       // rows that begin with their number
    for (const report::PreparedPage& page : rep.prepared().pages) {
      QMap<int, QMap<double, QString>> rows;  // top in 0.1 mm -> x -> text
      for (const report::Primitive& prim : page.items) {
        if (prim.type == report::Primitive::Type::Text) rows[static_cast<int>(std::lround(prim.box.center().y() * 10))][prim.box.left()] += prim.text;
      }
      for (const auto& row : rows) {
        QStringList cells = row.values();
        for (QString& cell : cells) cell = cell.trimmed();
        const QString joined = cells.join(QStringLiteral(" | "));
        bool numbered = false;
        cells.value(0).toInt(&numbered);
        if (numbered && cells.size() > 4) ++productRows;
        for (const QString& code : expected.keys()) {
          if (cells.size() > 2 && cells.value(1) == code) printed[code] = joined;
        }
      }
    }
    const QLocale english(QLocale::English);
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      SCOPED_TRACE(it.key().toStdString());
      ASSERT_TRUE(printed.contains(it.key())) << "no row for the product";
      const Total& t = it.value();
      const QString smallText = english.toString(t.small) + QLatin1Char(' ') + t.smallName;
      const qint64 whole = t.small / t.stockFraction, rest = t.small % t.stockFraction;
      const qint64 g = rest ? gcd(rest, t.stockFraction) : 1;
      const QString stockText = (whole ? QString::number(whole) : QString()) + QLatin1Char(' ') +
                                (rest ? QStringLiteral("%1/%2  ").arg(rest / g).arg(t.stockFraction / g) : QString()) + t.stockName;
      const QStringList cells = printed[it.key()].split(QStringLiteral(" | "));
      EXPECT_TRUE(cells.contains(smallText)) << smallText.toStdString() << " not in " << printed[it.key()].toStdString();
      EXPECT_TRUE(cells.contains(stockText.trimmed())) << stockText.toStdString() << " not in " << printed[it.key()].toStdString();
      ++productsChecked;
    }
    EXPECT_EQ(productRows, expected.size()) << "a product printed that no line sends, or one twice";
  }
  EXPECT_GE(productsChecked, 3);
}

}  // namespace
