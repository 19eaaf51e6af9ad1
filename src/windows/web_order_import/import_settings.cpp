#include "import_settings.h"

#include "web_order_import_sql.h"

#include <QUrl>
#include <stdexcept>

namespace weborder {

namespace {

QString queryValue(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

// "http://host[:port]/" with an IPv6 address in brackets.
QString baseUrl(const WebOrderSettings& s) {
  QString host = s.host.trimmed();
  if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['))) host = QLatin1Char('[') + host + QLatin1Char(']');
  QString url = QStringLiteral("http://") + host;
  if (s.httpPort > 0 && s.httpPort != 80) url += QLatin1Char(':') + QString::number(s.httpPort);
  return url + QLatin1Char('/');
}

}  // namespace

QString WebOrderSettings::fileRequestUrl(const QString& baseName, const QString& zoneCode) const {
  return baseUrl(*this) + QStringLiteral("weborder/weborderxml.php?filename=") + queryValue(baseName) +
         QStringLiteral("&zone=") + queryValue(zoneCode);
}

QString WebOrderSettings::acknowledgeUrl(qint64 webOrderId) const {
  return baseUrl(*this) + QStringLiteral("weborder/upordertransfer.php?Id=") + QString::number(webOrderId) +
         QStringLiteral("&Transfer=Y");
}

net::FtpSettings WebOrderSettings::ftp() const {
  net::FtpSettings f;
  f.host = host.trimmed();
  f.port = ftpPort;
  f.user = ftpUser;
  f.password = ftpPassword;
  f.passive = true;
  return f;
}

WebOrderSettings ReadWebOrderSettings(db::Connection& conn) {
  WebOrderSettings s;
  db::Result r = conn.select(sql::QWebOrderSettings.pick(conn.dialect()));
  if (r.isEmpty()) return s;
  s.host = r.asString(QStringLiteral("WebOrderHost")).trimmed();
  if (r.asInt(QStringLiteral("WebOrderHttpPort")) > 0) s.httpPort = int(r.asInt(QStringLiteral("WebOrderHttpPort")));
  if (r.asInt(QStringLiteral("WebOrderFtpPort")) > 0) s.ftpPort = int(r.asInt(QStringLiteral("WebOrderFtpPort")));
  const QString user = r.asString(QStringLiteral("WebOrderFtpUser")).trimmed();
  if (!user.isEmpty()) s.ftpUser = user;
  const QString password = r.asString(QStringLiteral("WebOrderFtpPassword"));
  if (!password.trimmed().isEmpty()) s.ftpPassword = password.trimmed();
  return s;
}

void WriteWebOrderSettings(db::Connection& conn, const WebOrderSettings& s) {
  db::Params p;
  p.setText(QStringLiteral("Host"), s.host);
  p.setInt(QStringLiteral("HttpPort"), s.httpPort);
  p.setInt(QStringLiteral("FtpPort"), s.ftpPort);
  p.setText(QStringLiteral("FtpUser"), s.ftpUser);
  p.setText(QStringLiteral("FtpPassword"), s.ftpPassword);
  conn.execute(sql::SQLWriteWebOrderSettings.pick(conn.dialect()), p);
}

QString OrderFileBaseName(const QString& zoneCode, const QString& fileDate) {
  const QString code = zoneCode.trimmed();
  bool control = false;
  for (QChar c : code) control = control || c.unicode() < 0x20 || c.unicode() == 0x7f;
  if (control || code.contains(QLatin1Char('/')) || code.contains(QLatin1Char('\\')) || code.contains(QLatin1String("..")))
    throw std::runtime_error(QStringLiteral("The zone code '%1' cannot name the order file: a code holding \"/\", \"\\\", \"..\" or a "
                                            "control character would name another folder (correct the zone's code in Misc)")
                                 .arg(code)
                                 .toStdString());
  return code + QLatin1Char('_') + fileDate.trimmed();
}

QString RemoteOrderFile(const QString& baseName) {
  return QStringLiteral("public_html/reportout/") + baseName + QStringLiteral(".xml");
}

QVector<data::UpgradeStep> ImportUpgradeSteps() {
  using data::AddColumnIfMissing;
  return {
      AddColumnIfMissing(QStringLiteral("SoHd"), QStringLiteral("ConsoNo"), QStringLiteral("Char(15)")),
      AddColumnIfMissing(QStringLiteral("SoHd"), QStringLiteral("ConsoDate"), QStringLiteral("DateTime")),
      AddColumnIfMissing(QStringLiteral("SoDt"), QStringLiteral("WebOrderId"), QStringLiteral("IdNo")),
      AddColumnIfMissing(QStringLiteral("IvHd"), QStringLiteral("BoxNoId"), QStringLiteral("IdNo")),
      // A line already stored is found by its web id without reading every sales-order line.
      {QStringLiteral("If Not Exists (Select Name From SysIndexes Where Name = 'SoDt_WebOrderId')\n"
                      "  Create Index SoDt_WebOrderId On SoDt (WebOrderId)"),
       [](db::Connection& c) { c.execute(QStringLiteral("Create Index If Not Exists SoDt_WebOrderId On SoDt (WebOrderId)")); }},
      AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("WebOrderHost"), QStringLiteral("VarChar(100)")),
      AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("WebOrderHttpPort"), QStringLiteral("Int")),
      AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("WebOrderFtpPort"), QStringLiteral("Int")),
      AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("WebOrderFtpUser"), QStringLiteral("VarChar(30)")),
      AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("WebOrderFtpPassword"), QStringLiteral("VarChar(30)")),
  };
}

void RunImportUpgrade(db::Connection& conn) {
  const QVector<data::UpgradeStep> steps = ImportUpgradeSteps();
  db::Script script(conn);
  script.sql = data::ScriptLines(steps);
  data::RunUpgrade(conn, script, steps);
}

}  // namespace weborder
