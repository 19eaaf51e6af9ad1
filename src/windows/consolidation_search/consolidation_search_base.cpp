#include "consolidation_search_base.h"

TFrSearchConsoBase::TFrSearchConsoBase(QWidget* parent) : TFrSearch(parent) {}

void TFrSearchConsoBase::SetQuery(const QStringList& tsql, const QStringList& sqlite, int filterLine) {
  QSearch.sql = tsql;
  QSearch.sqlSqlite = sqlite;
  FilterLineIndex = filterLine;
}

void TFrSearchConsoBase::BtSearchClick(QObject*) {
  QSearch.close();
  const QString filter = FilterLine(Code->text());
  for (QStringList* lines : {&QSearch.sql, &QSearch.sqlSqlite})
    if (FilterLineIndex >= 0 && FilterLineIndex < lines->size()) (*lines)[FilterLineIndex] = filter;
  QSearch.open();
  SearchOpened();
}

void TFrSearchConsoBase::DgSearchMouseDown(QObject*, Qt::MouseButton, Qt::MouseButtons, Qt::KeyboardModifiers) {}
