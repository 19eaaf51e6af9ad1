// The template's parameter dialog: one labelled edit per field, OK and Cancel.
#include "report/engine.h"
#include "report/text_format.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace report {

bool showParameterDialog(const DialogDef& dialog, QStringList& values) {
  QDialog dlg;
  dlg.setWindowTitle(dialog.title);
  auto* layout = new QVBoxLayout(&dlg);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  QVector<QLineEdit*> edits;
  for (int i = 0; i < dialog.fields.size(); ++i) {
    auto* edit = new QLineEdit(values.value(i), &dlg);
    edit->setObjectName(dialog.fields[i].variable);
    form->addRow(dialog.fields[i].label, edit);
    edits << edit;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
    for (int i = 0; i < edits.size(); ++i) {
      const DialogField& f = dialog.fields[i];
      const QString t = edits[i]->text();
      const bool bad = (f.type == QLatin1String("number") && !readNumber(t)) || (f.type == QLatin1String("date") && !readDate(t));
      if (bad) {
        QMessageBox::warning(&dlg, dialog.title, QStringLiteral("%1: '%2'").arg(f.label, t));
        edits[i]->setFocus();
        return;
      }
    }
    dlg.accept();
  });
  if (dlg.exec() != QDialog::Accepted) return false;
  for (int i = 0; i < edits.size(); ++i) {
    if (i < values.size()) values[i] = edits[i]->text();
    else values << edits[i]->text();
  }
  return true;
}

}  // namespace report
