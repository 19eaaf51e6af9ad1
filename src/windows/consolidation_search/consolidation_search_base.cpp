#include "consolidation_search_base.h"

TFrSearchConsoBase::TFrSearchConsoBase(QWidget* parent) : TFrSearch(parent) {}

void TFrSearchConsoBase::UseStatement(const framework::SearchStatement& statement) {
  QSearch.sql = statement.tsql;
  QSearch.sqlSqlite = statement.sqlite;
  FilterLineIndex = statement.filterLine;
  FilterLead = statement.filterLead;
}

QString TFrSearchConsoBase::FilterLine(const QString& text) const { return LikeFilter(FilterLead, text); }

void TFrSearchConsoBase::BtSearchClick(QObject*) { OpenWithFilter(FilterLineIndex, FilterLine(Code->text())); }

void TFrSearchConsoBase::DgSearchMouseDown(QObject*, Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers) {}
