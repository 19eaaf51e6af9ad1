#include "app_fixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <mutex>
#include <stdexcept>

#include "data_module.h"
#include "config_module.h"
#include "textutil/dates.h"
#include "window_fixture.h"

namespace testsupport {

namespace {

// Sites built once per process, one per set of options; tests get copies of their files.
const embedded::SiteInfo& templateSite(const SiteOptions& o) {
  static QHash<QString, std::pair<std::shared_ptr<QTemporaryDir>, embedded::SiteInfo>> built;
  const QString key = QStringLiteral("%1-%2-%3").arg(o.demo).arg(o.scale).arg(o.baseSchema);
  auto it = built.find(key);
  if (it == built.end()) {
    auto dir = std::make_shared<QTemporaryDir>();
    embedded::SiteOptions so;
    so.demo = o.demo;
    so.scale = o.scale;
    so.baseSchema = o.baseSchema;
    embedded::SiteInfo info = embedded::createSite(dir->filePath(QStringLiteral("site")), so);
    it = built.insert(key, {dir, info});
  }
  return it->second;
}

void copySite(const embedded::SiteInfo& from, const QString& to) {
  if (!QDir().mkpath(to)) throw std::runtime_error("cannot create the site folder");
  const QDir src(from.folder);
  for (const QString& name : src.entryList(QDir::Files)) {
    if (name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-shm"))) continue;
    if (!QFile::copy(src.filePath(name), QDir(to).filePath(name)))
      throw std::runtime_error("cannot copy " + name.toStdString());
  }
}

}  // namespace

TempSite::TempSite(const SiteOptions& options) {
  embedded::install();
  const embedded::SiteInfo& t = templateSite(options);
  const QString folder = dir_.filePath(QStringLiteral("site"));
  copySite(t, folder);
  info_.folder = QDir(folder).absolutePath();
  info_.serverName = embedded::serverNameFor(info_.folder);
  info_.companyDatabase = t.companyDatabase;
}

std::unique_ptr<db::Connection> TempSite::openConfig() const {
  auto c = std::make_unique<db::Connection>(QStringLiteral("TestConfig"));
  embedded::setConnectionParams(*c, info_.folder, QString::fromLatin1(embedded::kConfigDatabase));
  return c;
}

std::unique_ptr<db::Connection> TempSite::openCompany() const {
  auto c = std::make_unique<db::Connection>(QStringLiteral("TestCompany"));
  embedded::setConnectionParams(*c, info_.folder, info_.companyDatabase);
  return c;
}

AppFixture::AppFixture(const AppOptions& o) : site_(o.site) {
  data::SetServerNameOverride(site_.serverName());
  const QString workDate = o.workDate.isEmpty() ? textutil::dateToText(serverToday()) : o.workDate;
  arguments_ = QStringList{QString::number(o.menuId ? o.menuId : o.menuOption), QString::number(o.userId),
                           site_.companyDatabase(), QStringLiteral("-"), QString::number(o.menuOption), workDate};
  startup_ = std::make_unique<launch::Startup>(arguments_);
  launch::StartOptions start;
  start.showSplash = false;
  start.dispatch = false;
  outcome_ = startup_->Run(start);
}

AppFixture::~AppFixture() {
  startup_.reset();
  data::SetServerNameOverride(QString());
}

QString AppFixture::failure() const {
  if (ready()) return QString();
  QString why = startup_->FailureText();
  const QStringList shown = const_cast<AppFixture*>(this)->prompts_->texts();
  if (!shown.isEmpty()) why += QStringLiteral(" [boxes: ") + shown.join(QStringLiteral(" | ")) + QLatin1Char(']');
  return QStringLiteral("start-up outcome %1 %2").arg(int(outcome_)).arg(why);
}

TDM& AppFixture::dm() { return *startup_->dm(); }
TDMConfig& AppFixture::config() { return *startup_->config(); }

}  // namespace testsupport
