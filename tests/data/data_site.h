// A real embedded site in a temporary folder, with the two data modules pointed at it.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "data_module.h"
#include "config_module.h"
#include "embedded/embedded.h"
#include "prompts.h"

namespace datatest {

struct Site {
  QTemporaryDir dir;
  embedded::SiteInfo info;

  explicit Site(embedded::SiteOptions options = {}) {
    info = embedded::createSite(dir.filePath(QStringLiteral("site")), options);
    data::SetServerNameOverride(info.serverName);
  }
  ~Site() { data::SetServerNameOverride(QString()); }

  // A connection of its own, for looking at what the program did.
  std::unique_ptr<db::Connection> open(const QString& database) const {
    auto c = std::make_unique<db::Connection>(QStringLiteral("Inspect"));
    embedded::setConnectionParams(*c, info.folder, database);
    return c;
  }
  std::unique_ptr<db::Connection> config() const { return open(QString::fromLatin1(embedded::kConfigDatabase)); }
  std::unique_ptr<db::Connection> company() const { return open(info.companyDatabase); }
};

// The modules as start-up leaves them after the arguments are read (nothing connected yet).
class Modules : public ::testing::Test {
 protected:
  explicit Modules(embedded::SiteOptions options = {}) : site(options) {}
  void SetUp() override {
    dm = std::make_unique<TDM>();
    cfg = std::make_unique<TDMConfig>();
    cfg->MenuId = 200;
    cfg->UserId = 1;
    cfg->MenuOption = 200;
  }
  void TearDown() override {
    cfg.reset();
    dm.reset();
  }
  // GetCompanyConfig + CheckRight, as start-up runs them.
  void loadCompanyAndRights(int menuId = 200, int userId = 1) {
    ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
    cfg->MenuId = menuId;
    cfg->UserId = userId;
    cfg->CheckRight(menuId, userId);
  }

  Site site;
  prompts::ScopedScriptedPrompts prompts;
  std::unique_ptr<TDM> dm;
  std::unique_ptr<TDMConfig> cfg;
};

inline QStringList columnsOf(db::Connection& c, const QString& table) {
  QStringList names;
  const db::Result r = c.select(QStringLiteral("Select name From pragma_table_info(%1)").arg(db::quoted(table)));
  for (const auto& row : r.rows()) names << row[0].toString().toUpper();
  return names;
}

inline bool tableExists(db::Connection& c, const QString& table) {
  return !c.select(QStringLiteral("Select name From sqlite_master Where type = 'table' And Upper(name) = Upper(%1)")
                       .arg(db::quoted(table)))
              .isEmpty();
}

}  // namespace datatest
