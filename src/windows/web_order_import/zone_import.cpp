#include "zone_import.h"

#include <stdexcept>

#include "data_module.h"
#include "net/ftp.h"
#include "net/http.h"
#include "net/shell_folders.h"

namespace weborder {

QString StatusNoOrderFile() { return QStringLiteral("Status : ไม่พบ ข้อมูลของ Order"); }

QString OrderFileDownloadFailure(const QString& fileName, const QString& why) {
  return QStringLiteral("ดาวน์โหลดไฟล์ Order %1 ไม่สำเร็จ จึงไม่ได้บันทึกรายการและไม่ได้ออกเลขที่ Conso ของเขตนี้ "
                        "กรุณาลองใหม่อีกครั้ง : %2")
      .arg(fileName, why);
}

FetchOutcome RunImportRoad(db::Connection& conn, net::BackgroundGet& http, const QString& zoneCode,
                           const QString& fileDate, const ImportRoad& road, WebOrderSettings* settingsOut) {
  const auto status = [&road](const QString& text) {
    if (road.status) road.status(text);
  };
  FetchOutcome out;
  status(QStringLiteral("Status : Load File"));
  const QString folder = net::webOrderDownloadFolder();  // "Cannot create ..." when it cannot be made
  out.baseName = OrderFileBaseName(zoneCode, fileDate);
  out.localFile = folder + out.baseName + QStringLiteral(".xml");

  const WebOrderSettings settings = ReadWebOrderSettings(conn);
  if (settingsOut) *settingsOut = settings;
  if (!settings.hasHost())
    throw std::runtime_error(
        "The order web server is not set: enter its host name in Config.WebOrderHost (see docs/web-order-import.md)");

  http.start(settings.fileRequestUrl(out.baseName, zoneCode.trimmed()));
  const net::FtpResult got = net::ftpDownload(settings.ftp(), RemoteOrderFile(out.baseName), out.localFile);
  if (!got.ok && got.stage == net::FtpResult::Stage::Connect)
    throw std::runtime_error(QStringLiteral("FTP %1:%2 : %3").arg(settings.host).arg(settings.ftpPort).arg(got.message).toStdString());
  // Only the server's word that the file does not exist means no order file. A transfer cut off or
  // shorter than announced, or a local file that could not be written, may have lost orders: the
  // zone is neither stored nor consolidated.
  if (!got.ok && got.stage != net::FtpResult::Stage::NotFound)
    throw std::runtime_error(OrderFileDownloadFailure(out.baseName + QStringLiteral(".xml"), got.message).toStdString());
  out.found = got.ok;
  if (!got.ok) {
    out.message = got.message;
    status(StatusNoOrderFile());
  } else {
    status(QStringLiteral("Status : Load File To DB"));
    if (road.load) road.load(out.localFile);
  }
  if (road.consolidate) {
    status(QStringLiteral("Status : Consolidate "));
    road.consolidate();
  }
  return out;
}

ImportResult StoreOrderFile(db::Connection& conn, const QString& file, NumberSource numbers,
                            const std::function<void(const OrderLine&)>& onLine, NumberBatchSource batch) {
  const QVector<OrderLine> lines = ReadOrderFile(file);
  OrderImporter importer(conn, std::move(numbers), std::move(batch));
  importer.onLine = onLine;
  ImportResult r = importer.Import(lines);
  // Committed: the list of the skipped lines goes beside the file (a failure to write it is
  // reported with the result; the lines stay stored).
  WriteSkippedList(r, file);
  return r;
}

QString ImportRunRemark(const QString& zoneCode, const FetchOutcome& fetch, const ImportResult* stored,
                        const QString& consoNo, const QString& failure) {
  QString text = QStringLiteral("Web order import %1").arg(zoneCode.trimmed());
  if (!fetch.baseName.isEmpty()) text += QLatin1Char(' ') + fetch.baseName;
  if (!failure.isEmpty()) {
    text += QStringLiteral(": failed: ") + failure.simplified();
  } else {
    if (!fetch.found) text += QStringLiteral(": no order file");
    else if (stored)
      text += QStringLiteral(": stored %1, stored before %2, skipped %3")
                  .arg(stored->stored.size())
                  .arg(stored->alreadyStored.size())
                  .arg(stored->skipped.size());
    text += consoNo.isEmpty() ? QStringLiteral(", no consolidation") : QStringLiteral(", consolidation ") + consoNo.trimmed();
  }
  return text.left(200);
}

void RecordImportRun(const QString& remark) {
  if (!DM) return;
  try {
    DM->UserAddLog(0, 0, remark);
  } catch (...) {
  }
}

}  // namespace weborder
