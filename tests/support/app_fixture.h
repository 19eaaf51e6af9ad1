// The program started in-process on a real embedded site, for tests of the working windows.
//
//   testsupport::AppFixture app;                 // demo site, menu option 200, user ADMIN
//   ASSERT_TRUE(app.ready()) << app.failure();
//   TFrConsolidate_Qel_Dru w;                     // DM, DMConfig and the connections are ready
//   app.prompts().answer(true);                   // scripted answers of the prompts service
//
// The fixture makes the site in a temporary folder (a copy of a site built once per process for
// the same options), points both connections at it, installs a ScriptedPrompts, and runs the
// start-up steps up to the dispatch: arguments, company, rights, schema upgrade and version check.
// No splash window and no working window are created.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "db.h"
#include "embedded/embedded.h"
#include "prompts.h"
#include "startup.h"

class TDM;
class TDMConfig;

namespace testsupport {

struct SiteOptions {
  bool demo = true;
  int scale = 1;
  bool baseSchema = false;  // leave out the objects the program's own upgrade adds
};

// A site in a temporary folder of its own, removed with the object.
class TempSite {
 public:
  explicit TempSite(const SiteOptions& options = {});
  const embedded::SiteInfo& info() const { return info_; }
  QString folder() const { return info_.folder; }
  QString serverName() const { return info_.serverName; }
  QString companyDatabase() const { return info_.companyDatabase; }
  // Connections of the test's own, for preparing data and looking at what the program did.
  std::unique_ptr<db::Connection> openConfig() const;
  std::unique_ptr<db::Connection> openCompany() const;

 private:
  QTemporaryDir dir_;
  embedded::SiteInfo info_;
};

struct AppOptions {
  SiteOptions site;
  int menuOption = 200;
  int menuId = 0;                // 0: the same as menuOption (the demo's menu entries carry their option as id)
  int userId = 1;                // 1 ADMIN (Thai), 2 ENGLISH, 3 NORIGHT
  QString workDate;              // empty: the server's today, "dd/mm/yyyy"
};

class AppFixture {
 public:
  explicit AppFixture(const AppOptions& options = {});
  ~AppFixture();
  AppFixture(const AppFixture&) = delete;
  AppFixture& operator=(const AppFixture&) = delete;

  // True when the start-up reached the dispatch; otherwise failure() says why.
  bool ready() const { return outcome_ == launch::Outcome::Ready; }
  launch::Outcome outcome() const { return outcome_; }
  QString failure() const;

  TempSite& site() { return site_; }
  prompts::ScriptedPrompts& prompts() { return *prompts_; }
  launch::Startup& startup() { return *startup_; }
  TDM& dm();
  TDMConfig& config();
  QStringList arguments() const { return arguments_; }

 private:
  TempSite site_;
  prompts::ScopedScriptedPrompts prompts_;
  QStringList arguments_;
  std::unique_ptr<launch::Startup> startup_;
  launch::Outcome outcome_ = launch::Outcome::Failed;
};

}  // namespace testsupport
