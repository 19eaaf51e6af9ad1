// ShippedForm: the report forms shipped with every new site: the templates (files in the site folder,
// which is
// the program's current folder) and their SystemForm rows.
//
//   print code     order  template                       server procedure (DocCode)
//   CONSOLIDAT     1      Form_Consolidate.frf           CheckDocumentToPrint (CONSOLIDAT)
//   CONSOLIDAT     2      Form_ConsolidateProduct.frf    CheckDocumentToPrint (CONSOLIDAT)
//   CONSOTOIV      1      Form_ConsoToIV.frf             CheckDocumentToPrint (CONSOTOIV)
//   MONEYBILL      1      Form_MoneyBill.frf             CheckDocumentToPrint (MONEYBILL)
//   IV-A           1      Form_IV_A.frf                  CheckDocumentToPrint (IV)
//   IV-A           2      Form_IV_A_Copy.frf             CheckDocumentToPrint (IV), preview only
//   STOCKTRFCONV2  1      Form_StockTrfConv2.frf         CheckDocumentToPrint (TR)
// and the accounting voucher Form_GLAuto.frf (no SystemForm row: the voucher dialog names it).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "db.h"
#include "embedded/embedded.h"

namespace printing {

struct ShippedForm {
  int formOrderNo = 1;
  QString formCode;
  QString formDesc;
  QString frfName;
  QString spName;
  QString docCode;
  QString showPrintPreview;  // "Y": the preview may print
};

// The shipped forms, in print-code and list order.
const QVector<ShippedForm>& shippedForms();
// The shipped template files (the forms' templates and Form_GLAuto.frf).
QStringList shippedTemplateFiles();
// The contents of a shipped template; empty for a name that is not shipped.
QByteArray shippedTemplate(const QString& fileName);

// Writes the shipped templates into the site folder (files of the same name are replaced) and
// registers the shipped forms: the SystemForm rows of the shipped print codes are replaced by the
// shipped ones; rows of other print codes stay. Runs inside the caller's transaction when one is
// open. Failures are db::Error.
void installShippedForms(db::Connection& company, const QString& siteFolder);
// The same for a site just made by embedded::createSite (consolidate-db init calls it).
void installShippedForms(const embedded::SiteInfo& site);

}  // namespace printing
