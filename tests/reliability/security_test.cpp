// The installation's own database login replaces the suite's without rebuilding.
#include <gtest/gtest.h>

#include "config_module.h"

namespace {

QString line(const QStringList& params, const QString& name) {
  for (const QString& p : params)
    if (p.startsWith(name + QLatin1Char('='))) return p.mid(name.size() + 1);
  return QStringLiteral("<missing>");
}

TEST(DatabaseLogin, TheEnvironmentOverridesTheSuitesLogin) {
  qunsetenv("CONSOLIDATE_DB_USER");
  qunsetenv("CONSOLIDATE_DB_PASSWORD");
  QStringList p = TDMConfig::ConnectionParams(QStringLiteral("DEMO"), QStringLiteral("db-server"));
  EXPECT_EQ(line(p, QStringLiteral("USER NAME")), QStringLiteral("talvik"));
  EXPECT_EQ(line(p, QStringLiteral("PASSWORD")), QStringLiteral("larkspen"));

  qputenv("CONSOLIDATE_DB_USER", "wh_client");
  qputenv("CONSOLIDATE_DB_PASSWORD", "s3cret;x=1");
  p = TDMConfig::ConnectionParams(QStringLiteral("DEMO"), QStringLiteral("db-server"));
  EXPECT_EQ(line(p, QStringLiteral("USER NAME")), QStringLiteral("wh_client"));
  EXPECT_EQ(line(p, QStringLiteral("PASSWORD")), QStringLiteral("s3cret;x=1"));
  EXPECT_EQ(p.size(), 24) << "the same lines, only the login changed";

  // An empty variable is no override.
  qputenv("CONSOLIDATE_DB_USER", "");
  p = TDMConfig::ConnectionParams(QStringLiteral("DEMO"), QStringLiteral("db-server"));
  EXPECT_EQ(line(p, QStringLiteral("USER NAME")), QStringLiteral("talvik"));
  qunsetenv("CONSOLIDATE_DB_USER");
  qunsetenv("CONSOLIDATE_DB_PASSWORD");
}

}  // namespace
