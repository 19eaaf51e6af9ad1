// The configuration module against a real embedded site: parameter lines and "Server.Dat", the
// Menu.Version step, the company lookup and the user's rights.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data_site.h"

namespace {

using datatest::Modules;

void writeFile(const QString& path, const QByteArray& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(content);
}

// Runs a test body with the current folder set to a fresh temporary folder.
class InFolder {
 public:
  InFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~InFolder() { QDir::setCurrent(previous_); }
  QString path(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
  QString previous_;
};

TEST(ReadServerName, FirstLineAsReadWithoutTrimming) {
  struct Case {
    const char* content;  // nullptr: no file
    const char* expected;
    const char* forConnect;
  } cases[] = {
      {nullptr, "", "embedded:."},
      {"", "", "embedded:."},
      {"\r\nembedded:/elsewhere\r\n", "", "embedded:."},
      {"sqlhost,1433\r\nsecond line\r\n", "sqlhost,1433", "sqlhost,1433"},
      {"  sqlhost  \n", "  sqlhost  ", "  sqlhost  "},
      {"embedded:/srv/site", "embedded:/srv/site", "embedded:/srv/site"},
  };
  for (const Case& c : cases) {
    InFolder folder;
    if (c.content) writeFile(folder.path(QStringLiteral("Server.Dat")), c.content);
    SCOPED_TRACE(c.content ? c.content : "(no file)");
    EXPECT_EQ(TDMConfig::ReadServerName(), QString::fromLatin1(c.expected));
    EXPECT_EQ(TDMConfig::ServerNameForConnect(), QString::fromLatin1(c.forConnect));
  }
}

TEST(ReadServerName, TheOverrideWinsOverServerDat) {
  InFolder folder;
  writeFile(folder.path(QStringLiteral("Server.Dat")), "sqlhost\n");
  data::SetServerNameOverride(QStringLiteral("embedded:/tmp/x"));
  EXPECT_EQ(TDMConfig::ServerNameForConnect(), QStringLiteral("embedded:/tmp/x"));
  data::SetServerNameOverride(QString());
  EXPECT_EQ(TDMConfig::ServerNameForConnect(), QStringLiteral("sqlhost"));
}

class ConfigModule : public Modules {};

TEST_F(ConfigModule, EveryConnectRebuildsTheLinesFromServerDat) {
  // No override: the server name comes from "Server.Dat" of the current folder, trailing blanks kept.
  data::SetServerNameOverride(QString());
  InFolder folder;
  writeFile(folder.path(QStringLiteral("Server.Dat")), ("embedded:" + site.info.folder + "  \r\n").toUtf8());
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  const QStringList expected{
      "DATABASE NAME=TALVIK_CONFIG", "SERVER NAME=embedded:" + site.info.folder + "  ", "USER NAME=talvik",
      "OPEN MODE=READ/WRITE", "SCHEMA CACHE SIZE=8", "BLOB EDIT LOGGING=", "LANGDRIVER=", "SQLQRYMODE=",
      "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "DATE MODE=1", "SCHEMA CACHE TIME=-1", "MAX QUERY TIME=600", "MAX ROWS=-1",
      "BATCH COUNT=200", "ENABLE SCHEMA CACHE=FALSE", "SCHEMA CACHE DIR=", "HOST NAME=", "APPLICATION NAME=",
      "NATIONAL LANG NAME=", "ENABLE BCD=True", "TDS PACKET SIZE=4096", "BLOBS TO CACHE=-1", "BLOB SIZE=64",
      "PASSWORD=larkspen"};
  EXPECT_EQ(cfg->DmCfg.params, expected);

  // The file is read again at the next connect.
  cfg->DmCfg.close();
  writeFile(folder.path(QStringLiteral("Server.Dat")), ("embedded:" + site.info.folder + "\n").toUtf8());
  cfg->CheckRight(200, 1);
  EXPECT_EQ(cfg->DmCfg.params.size(), 24);
  EXPECT_EQ(cfg->DmCfg.params.value(1), "SERVER NAME=embedded:" + site.info.folder);
}

TEST_F(ConfigModule, CompanyIsFoundByTheUpperCasedName) {
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase.toLower()));
  EXPECT_EQ(cfg->DatabaseName, site.info.companyDatabase);
  EXPECT_TRUE(cfg->QCompany.active());
  EXPECT_EQ(cfg->QCompany.asString(QStringLiteral("NAMETHAI")), QStringLiteral("บริษัท ตัวอย่างการค้า จำกัด"));
  EXPECT_EQ(cfg->QCompany.asString(QStringLiteral("TaxBranchHead")), QStringLiteral("Y"));
  EXPECT_TRUE(cfg->QCompanyConfig.columnIndex(QStringLiteral("TaxBranchName")) >= 0);
  EXPECT_TRUE(prompts->log.empty());
}

TEST_F(ConfigModule, UnknownDatabaseIsReportedAndRefused) {
  EXPECT_FALSE(cfg->GetCompanyConfig(QStringLiteral("nosuchdb")));
  EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Not Found Database : NOSUCHDB")});
  EXPECT_TRUE(cfg->DatabaseName.isEmpty());
  EXPECT_FALSE(cfg->QCompany.active());
}

TEST_F(ConfigModule, RightsLanguageAndPrompts) {
  auto config = site.config();
  // A user whose language is not set, and a right stored as a lower-case "y".
  config->execute(QStringLiteral("Insert Into UserName (Id, Code, FullName, LanguageNo) Values (7, ' NOLANG ', 'x', Null)"));
  config->execute(QStringLiteral("Insert Into UserRight (UserName, Menu, Access_R) Values (7, 200, 'y')"));
  config->execute(QStringLiteral("Update Menu Set Caption = '  จัดสินค้าตามเขต  ' Where Id = 200"));
  config.reset();

  struct Case {
    int user;
    bool thai;
    bool access;
    const char* caption;
    const char* userCode;
  } cases[] = {
      {1, true, true, "จัดสินค้าตามเขต", "ADMIN"},
      {2, false, true, "Zone Consolidation", "ENGLISH"},
      {3, true, false, "จัดสินค้าตามเขต", "NORIGHT"},
      {7, false, false, "", " NOLANG "},
  };
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    cfg->CheckRight(200, c.user);
    EXPECT_EQ(cfg->IsThai, c.thai);
    EXPECT_EQ(cfg->AccessRight, c.access);
    if (c.user != 7) EXPECT_EQ(cfg->MenuCaption, QString::fromUtf8(c.caption));
    EXPECT_EQ(cfg->UserCode, QString::fromUtf8(c.userCode));
    EXPECT_EQ(cfg->SaveDataPrompt, c.thai ? QStringLiteral("จัดเก็บข้อมูล ?") : QStringLiteral("Save Data ?"));
    EXPECT_EQ(cfg->DeleteDataPrompt, c.thai ? QStringLiteral("ลบข้อมูล ?") : QStringLiteral("Delete Data ?"));
  }
  // A user without a row: English, no access.
  cfg->CheckRight(200, 4242);
  EXPECT_FALSE(cfg->IsThai);
  EXPECT_FALSE(cfg->AccessRight);
}

class OldConfigDatabase : public Modules {
 protected:
  OldConfigDatabase() : Modules(baseOptions()) {}
  static embedded::SiteOptions baseOptions() {
    embedded::SiteOptions o;
    o.baseSchema = true;
    return o;
  }
};

TEST_F(OldConfigDatabase, MenuVersionStepRunsAfterEveryConnect) {
  {
    auto config = site.config();
    ASSERT_FALSE(datatest::columnsOf(*config, QStringLiteral("Menu")).contains(QStringLiteral("VERSION")));
    config->execute(QStringLiteral("Insert Into Menu (Id, Caption, Command) Values (900, 'folder', Null)"));
  }
  ASSERT_TRUE(cfg->GetCompanyConfig(site.info.companyDatabase));
  auto config = site.config();
  ASSERT_TRUE(datatest::columnsOf(*config, QStringLiteral("Menu")).contains(QStringLiteral("VERSION")));
  EXPECT_EQ(config->select(QStringLiteral("Select Count(*) n From Menu Where Version = 3")).asInt("n"), 5);
  EXPECT_TRUE(config->select(QStringLiteral("Select Version From Menu Where Id = 900")).isNull("Version"));

  // A later connect fills a version that became null again, and leaves set versions alone.
  config->execute(QStringLiteral("Update Menu Set Version = Null Where Id = 100"));
  config->execute(QStringLiteral("Update Menu Set Version = 7 Where Id = 101"));
  cfg->DmCfg.close();
  cfg->CheckRight(200, 1);
  EXPECT_EQ(config->select(QStringLiteral("Select Version From Menu Where Id = 100")).asInt("Version"), 3);
  EXPECT_EQ(config->select(QStringLiteral("Select Version From Menu Where Id = 101")).asInt("Version"), 7);
}

}  // namespace
