// PromptPay QR codes: the Thai QR Payment payload field by field and by its CRC, the settings in
// the company's Config row, PROMPTPAYQR in a report, and the shipped invoice and collection forms,
// which print exactly as before while the company has no PromptPay setting.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "db.h"
#include "embedded/embedded.h"
#include "promptpay.h"
#include "qstring_print.h"
#include "report/export.h"
#include "report/function_library_registry.h"
#include "report/report.h"
#include "report_functions_setup.h"
#include "shipped_forms.h"

// QStrings in the failure messages.
static std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
static std::ostream& operator<<(std::ostream& os, const QStringList& s) { return os << s.join(' ').toStdString(); }

namespace {

using printing::PromptPayPayload;
using printing::PromptPaySettings;

struct Field {
  QString id, value;
  bool operator==(const Field& o) const { return id == o.id && value == o.value; }
};

// Splits an EMV data-object text into its objects (two-digit id, two-digit length, value). A
// length running past the end fails the test.
QVector<Field> objects(const QString& text) {
  QVector<Field> out;
  int i = 0;
  while (i < text.size()) {
    EXPECT_LE(i + 4, text.size()) << text;
    if (i + 4 > text.size()) break;
    const QString id = text.mid(i, 2);
    bool ok = false;
    const int len = text.mid(i + 2, 2).toInt(&ok);
    EXPECT_TRUE(ok) << text;
    EXPECT_LE(i + 4 + len, text.size()) << "object " << id << " of " << text;
    out.push_back({id, text.mid(i + 4, len)});
    i += 4 + len;
  }
  return out;
}

QString valueOf(const QVector<Field>& fields, const QString& id) {
  for (const Field& f : fields)
    if (f.id == id) return f.value;
  return QStringLiteral("(missing)");
}

QStringList idsOf(const QVector<Field>& fields) {
  QStringList ids;
  for (const Field& f : fields) ids << f.id;
  return ids;
}

// The CRC object closes the payload and holds the CRC of everything before its value.
void expectValidCrc(const QString& payload) {
  ASSERT_GE(payload.size(), 8);
  EXPECT_EQ(payload.mid(payload.size() - 8, 4), QStringLiteral("6304"));
  const quint16 crc = printing::Crc16CcittFalse(payload.left(payload.size() - 4).toLatin1());
  EXPECT_EQ(payload.right(4), QStringLiteral("%1").arg(crc, 4, 16, QLatin1Char('0')).toUpper()) << payload;
}

TEST(PromptPayCrc, KnownValues) {
  EXPECT_EQ(printing::Crc16CcittFalse("123456789"), 0x29B1);
  EXPECT_EQ(printing::Crc16CcittFalse(""), 0xFFFF);
  // A payload published when PromptPay QR was introduced (mobile 000-000-0000, no amount).
  const QString published = QStringLiteral("00020101021129370016A000000677010111011300660000000005802TH530376463048956");
  expectValidCrc(published);
}

TEST(PromptPayPayload, CreditTransferAndBillPaymentFieldByField) {
  const struct {
    const char* promptPayId;
    const char* billerId;
    double amount;
    const char* ref1;
    const char* ref2;
    const char* accountTag;           // 29 or 30
    QVector<Field> account;           // the objects inside it
    const char* amountText;
  } cases[] = {
      {"0105500000000", "", 13798.7, "IVA1", "C1", "29",
       {{"00", "A000000677010111"}, {"02", "0105500000000"}}, "13798.70"},
      {"081-234-5678", "", 4.22, "", "", "29", {{"00", "A000000677010111"}, {"01", "0066812345678"}}, "4.22"},
      {"+66 81 234 5678", "", 100, "", "", "29", {{"00", "A000000677010111"}, {"01", "0066812345678"}}, "100.00"},
      {"66812345678", "", 0.01, "", "", "29", {{"00", "A000000677010111"}, {"01", "0066812345678"}}, "0.01"},
      {"0066812345678", "", 1, "", "", "29", {{"00", "A000000677010111"}, {"01", "0066812345678"}}, "1.00"},
      // The biller id wins over the PromptPay id; the references are in capitals.
      {"0812345678", "010550000000001", 2410.13, "iva260000001", " C00001 ", "30",
       {{"00", "A000000677010112"}, {"01", "010550000000001"}, {"02", "IVA260000001"}, {"03", "C00001"}}, "2410.13"},
      // No reference 2: its object is left out.
      {"", "0105-50000-0000-01", 50.5, "IV-9/1", "", "30",
       {{"00", "A000000677010112"}, {"01", "010550000000001"}, {"02", "IV-9/1"}}, "50.50"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.promptPayId) + " / " + c.billerId);
    const QString payload = PromptPayPayload({QString::fromUtf8(c.promptPayId), QString::fromUtf8(c.billerId)}, c.amount,
                                             QString::fromUtf8(c.ref1), QString::fromUtf8(c.ref2));
    const QVector<Field> top = objects(payload);
    EXPECT_EQ(idsOf(top), (QStringList{"00", "01", QString::fromLatin1(c.accountTag), "53", "54", "58", "63"})) << payload;
    EXPECT_EQ(valueOf(top, "00"), QStringLiteral("01"));
    EXPECT_EQ(valueOf(top, "01"), QStringLiteral("12"));
    EXPECT_EQ(objects(valueOf(top, QString::fromLatin1(c.accountTag))), c.account) << payload;
    EXPECT_EQ(valueOf(top, "53"), QStringLiteral("764"));
    EXPECT_EQ(valueOf(top, "54"), QString::fromLatin1(c.amountText));
    EXPECT_EQ(valueOf(top, "58"), QStringLiteral("TH"));
    expectValidCrc(payload);
  }
}

TEST(PromptPayPayload, AWholePayloadAsABankAppReadsIt) {
  // Worked out by hand: lengths 37 and 4, CRC-16/CCITT-FALSE of everything up to "6304".
  EXPECT_EQ(PromptPayPayload({"0812345678", ""}, 4.22, "", ""),
            QStringLiteral("00020101021229370016A00000067701011101130066812345678530376454044.225802TH63042352"));
  EXPECT_EQ(PromptPayPayload({"", "010550000000001"}, 1234.5, "IVA260000001", "C00001"),
            QStringLiteral("00020101021230650016A00000067701011201150105500000000010212IVA2600000010306C00001"
                           "530376454071234.505802TH6304748E"));
}

TEST(PromptPayPayload, AmountsInSatang) {
  const struct {
    double amount;
    const char* text;  // empty: no payload
  } cases[] = {
      {1234.5, "1234.50"},  {0.01, "0.01"},     {1.005, "1.01"},      {2.675, "2.68"},  {99.999, "100.00"},
      {1e9, "1000000000.00"}, {9999999999.99, "9999999999.99"}, {0.004, ""}, {0, ""}, {-15.5, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.amount);
    const QString payload = PromptPayPayload({"0105500000000", ""}, c.amount, "", "");
    if (!*c.text) {
      EXPECT_TRUE(payload.isEmpty()) << payload;
      continue;
    }
    EXPECT_EQ(valueOf(objects(payload), "54"), QString::fromLatin1(c.text));
    expectValidCrc(payload);
  }
}

TEST(PromptPayPayload, NoSettingNoPayload) {
  EXPECT_EQ(PromptPayPayload({}, 100, "IV1", "C1"), QString());
  EXPECT_EQ(PromptPayPayload({"  ", " "}, 100, "IV1", "C1"), QString());
}

TEST(PromptPayPayload, SettingsAndReferencesABankWouldRefuseAreErrors) {
  const struct {
    PromptPaySettings settings;
    double amount;
    QString ref1, ref2;
    const char* message;
  } cases[] = {
      {{"12345", ""}, 10, "", "", "neither a 13-digit tax id nor a mobile number"},
      {{"0012345678", ""}, 10, "", "", "neither a 13-digit tax id nor a mobile number"},
      {{"01055000000001", ""}, 10, "", "", "neither a 13-digit tax id nor a mobile number"},
      {{"081234567x", ""}, 10, "", "", "not a digit"},
      {{"", "0105500000000"}, 10, "IV1", "", "not 15 digits"},
      {{"", "010550000000001"}, 10, "", "C1", "needs reference 1"},
      {{"", "010550000000001"}, 10, "IV12345678901234567890", "", "longer than 20 characters"},
      {{"", "010550000000001"}, 10, "IV1", QStringLiteral("ลูกค้า1"), "reference 2"},
      {{"0105500000000", ""}, 1e10, "", "", "above 9,999,999,999.99"},
      {{"0105500000000", ""}, std::numeric_limits<double>::quiet_NaN(), "", "", "not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      const QString payload = PromptPayPayload(c.settings, c.amount, c.ref1, c.ref2);
      ADD_FAILURE() << "no error, payload " << payload;
    } catch (const report::ExprError& e) {
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.message();
    }
  }
}

// A company database with a Config row but, as an older database, without the PromptPay columns.
class PromptPaySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    data.params = {"SERVER NAME=embedded:" + dir.path(), "DATABASE NAME=SHOP", "CREATE DATABASE=TRUE"};
    data.execute("Create Table Config (Id Integer, RunYear Integer)");
    data.execute("Insert Into Config Values (1, 2026)");
  }
  void upgrade() {
    const QVector<data::UpgradeStep> steps = printing::PromptPayUpgradeSteps();
    db::Script script(data);
    script.sql = data::ScriptLines(steps);
    data::RunUpgrade(data, script, steps);
  }
  QTemporaryDir dir;
  db::Connection data{"DMDATA"};
};

TEST_F(PromptPaySettingsTest, MissingColumnsReadAsNotSetAndTheUpgradeAddsThem) {
  EXPECT_FALSE(printing::ReadPromptPaySettings(data).isSet());
  upgrade();
  upgrade();  // a second run finds the columns
  EXPECT_FALSE(printing::ReadPromptPaySettings(data).isSet());
  data.execute("Update Config Set PromptPayId = ' 0812345678 ', PromptPayBillerId = '010550000000001'");
  const PromptPaySettings s = printing::ReadPromptPaySettings(data);
  EXPECT_EQ(s.promptPayId, QStringLiteral("0812345678"));
  EXPECT_EQ(s.billerId, QStringLiteral("010550000000001"));
  // The T-SQL a production database runs tests the catalogue before adding each column.
  const QStringList lines = data::ScriptLines(printing::PromptPayUpgradeSteps());
  EXPECT_TRUE(lines.join('\n').contains("Alter Table Config Add PromptPayId VarChar(20) Null")) << lines.join('\n');
  EXPECT_TRUE(lines.join('\n').contains("Upper(LTrim(RTrim(C.Name))) = 'PROMPTPAYBILLERID'")) << lines.join('\n');
}

TEST_F(PromptPaySettingsTest, PromptPayQrInAReport) {
  report::Report r;
  printing::setupReportFunctions(r, &data);
  // Without the columns and without a setting: the empty text, so a QR object prints nothing.
  EXPECT_EQ(r.evaluate("PROMPTPAYQR(100, 'IV1', 'C1')").toString(), QString());
  upgrade();
  data.execute("Update Config Set PromptPayId = '0812345678'");
  report::Report r2;
  printing::setupReportFunctions(r2, &data);
  EXPECT_EQ(r2.evaluate("promptpayqr(2 + 2.22, 'IV1', 'C1')").toString(),
            QStringLiteral("00020101021229370016A00000067701011101130066812345678530376454044.225802TH63042352"));
  EXPECT_EQ(r2.evaluate("PROMPTPAYQR(null, 'IV1', 'C1')").toString(), QString());
  EXPECT_EQ(r2.evaluate("PROMPTPAYQR(-5, 'IV1', 'C1')").toString(), QString());
  data.execute("Update Config Set PromptPayId = '', PromptPayBillerId = '12'");
  report::Report r3;
  printing::setupReportFunctions(r3, &data);
  try {
    r3.evaluate("PROMPTPAYQR(100, 'IV1', 'C1')");
    ADD_FAILURE() << "a biller id of two digits was taken";
  } catch (const report::ExprError& e) {
    EXPECT_TRUE(e.message().contains("not 15 digits")) << e.message();
  }
}

// ---- the shipped forms on the demo site ------------------------------------------------------

QStringList decodeImage(const QString& png) {
  QProcess p;
  p.start(QStringLiteral("zbarimg"),
          {QStringLiteral("-q"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"), QStringLiteral("-Sqrcode.enable"), png});
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

class ShippedFormsPromptPay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    embedded::SiteOptions o;
    o.demo = true;
    site = embedded::createSite(dir.filePath("site"), o);
    printing::installShippedForms(site);
    data.params = {"SERVER NAME=embedded:" + site.folder, "DATABASE NAME=" + site.companyDatabase};
  }

  QString one(const QString& sql) { return data.select(sql).asString("V"); }

  // The pages of a template rendered for a document, as images; NOW is fixed so that the
  // footers' print time cannot differ between two renderings.
  QVector<QImage> render(const QString& templatePath, const QString& docNo, const QString& tag) {
    report::registerAddFunctionLibrary();  // as the print dialog does
    report::Report r;
    printing::setupReportFunctions(r, &data);
    r.setConnection(data);
    EXPECT_TRUE(r.loadFromFile(templatePath));
    r.setVariable("DocNo", "'" + docNo + "'");
    r.setVariable("NOW", "ENCODEDATE(2026, 12, 10)");
    EXPECT_TRUE(r.prepare());
    QVector<QImage> pages;
    files = report::exportImages(r.prepared(), dir.filePath(tag + ".png"), 100);
    for (const QString& f : files) pages << QImage(f);
    return pages;
  }

  // The template without the objects that only serve the payment code (named Pay...), without its
  // PayQr variable and with the usual arrangement always shown: the form as it was before PromptPay.
  QString withoutPayment(const QString& fileName) {
    QFile f(site.folder + "/" + fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QJsonObject t = QJsonDocument::fromJson(f.readAll()).object();
    QJsonObject vars = t["variables"].toObject();
    EXPECT_TRUE(vars.contains("PayQr")) << fileName;
    vars.remove("PayQr");
    t["variables"] = vars;
    QJsonArray bands = t["bands"].toArray();
    int removed = 0;
    for (int i = 0; i < bands.size(); ++i) {
      QJsonObject b = bands[i].toObject();
      QJsonArray kept;
      for (const QJsonValue& o : b["objects"].toArray()) {
        QJsonObject object = o.toObject();
        if (object.value("name").toString().startsWith("Pay")) {
          ++removed;
          continue;
        }
        // The usual arrangement of objects that a form arranges otherwise beside the code.
        if (object.value("visible").toString() == "PayQr = ''") object.remove("visible");
        kept << object;
      }
      b["objects"] = kept;
      bands[i] = b;
    }
    EXPECT_GT(removed, 0) << fileName;
    t["bands"] = bands;
    const QString path = dir.filePath("old_" + fileName);
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(t).toJson());
    return path;
  }

  QTemporaryDir dir;
  QStringList files;  // of the last rendering
  embedded::SiteInfo site;
  db::Connection data{"DMDATA"};
};

TEST_F(ShippedFormsPromptPay, WithoutASettingTheFormsPrintAsBeforeAndWithOneTheyDiffer) {
  const QString invoice = one("Select IvNo As V From BoxNo Where BarCode = 'BOX900001'");
  const QString bill = one("Select Min(Docno) As V From MoneyBill Where Delflag = 'N'");
  ASSERT_FALSE(invoice.isEmpty() || bill.isEmpty());
  const struct {
    const char* file;
    QString docNo;
  } forms[] = {{"Form_IV_A.frf", invoice}, {"Form_IV_A_Copy.frf", invoice}, {"Form_MoneyBill.frf", bill}};
  for (const auto& f : forms) {
    SCOPED_TRACE(f.file);
    data.execute("Update Config Set PromptPayId = Null, PromptPayBillerId = Null");
    const QVector<QImage> before = render(withoutPayment(f.file), f.docNo, QStringLiteral("before"));
    const QVector<QImage> now = render(site.folder + "/" + f.file, f.docNo, QStringLiteral("now"));
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(before.size(), now.size());
    for (int i = 0; i < before.size(); ++i) EXPECT_TRUE(before[i] == now[i]) << "page " << i + 1;
    for (const QString& page : files) EXPECT_TRUE(decodeImage(page).isEmpty()) << page;

    data.execute("Update Config Set PromptPayId = '0105500000000'");
    const QVector<QImage> withQr = render(site.folder + "/" + f.file, f.docNo, QStringLiteral("qr"));
    ASSERT_FALSE(withQr.isEmpty());
    EXPECT_FALSE(withQr[0] == before[0]);
  }
}

}  // namespace
