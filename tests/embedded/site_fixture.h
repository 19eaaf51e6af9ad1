// A site in a temporary folder, with connections to its two databases.
#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "embedded.h"

struct TempSite {
  explicit TempSite(embedded::SiteOptions o = {}) {
    embedded::install();
    info = embedded::createSite(dir.path(), o);
    config = std::make_unique<db::Connection>(QStringLiteral("DmCfg"));
    embedded::setConnectionParams(*config, info.folder, QLatin1String(embedded::kConfigDatabase));
    company = std::make_unique<db::Connection>(QStringLiteral("DMDATA"));
    embedded::setConnectionParams(*company, info.folder, info.companyDatabase);
  }
  qint64 count(db::Connection& c, const QString& sql, const db::Params& p = {}) {
    const db::Result r = c.select(sql, p);
    return r.asInt(r.columns().value(0));
  }
  qint64 companyCount(const QString& sql, const db::Params& p = {}) { return count(*company, sql, p); }

  QTemporaryDir dir;
  embedded::SiteInfo info;
  std::unique_ptr<db::Connection> config;
  std::unique_ptr<db::Connection> company;
};
