// Two users at once: real processes working on one embedded site at the same moment.
#include <QDate>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>

#include "app_fixture.h"
#include "window_fixture.h"
#include "embedded/embedded.h"
#include "processes.h"

namespace {

using reliability::Process;

TEST(TwoUsers, DrawDocumentNumbersWithoutDuplicatesOrGaps) {
  testsupport::TempSite site;
  QTemporaryDir logs;
  const int year = testsupport::serverToday().year();
  // One series with a counter for the year, one whose counter for next year does not exist yet and
  // is made by whichever process draws first.
  const QString consolidation = QStringLiteral("CONSOLIDAT:%1").arg(year);
  const QString bill = QStringLiteral("MONEYBILL:%1").arg(year + 1);
  const int perProcess = 1000;

  auto company = site.openCompany();
  const qint64 lastBefore = company->select(QStringLiteral("Select LastNo From DocumentNo Where Code = 'CONSOLIDAT' And DocYear = :Y"),
                                            [&] { db::Params p; p.setInt(QStringLiteral("Y"), year); return p; }())
                                .asInt(QStringLiteral("LastNo"));
  company.reset();

  std::vector<std::unique_ptr<Process>> drivers;
  for (int i = 0; i < 2; ++i) {
    const QStringList args = QStringList{QStringLiteral("numbers"), QString::number(perProcess), consolidation + QLatin1Char(',') + bill,
                                         QStringLiteral("--")} +
                             reliability::programArguments(200);
    drivers.push_back(std::make_unique<Process>(reliability::driverPath(), args, site.folder(),
                                                logs.filePath(QStringLiteral("boxes-%1.jsonl").arg(i))));
  }
  // Both are released at once, and each waits after half of its numbers until the other has
  // drawn its first half too: the two processes hold their connections and draw at the same time
  // however the machine schedules them.
  for (auto& d : drivers) ASSERT_TRUE(d->waitReady());
  for (auto& d : drivers) d->go();
  for (auto& d : drivers) ASSERT_TRUE(d->waitReady()) << d->errorText().toStdString();
  for (auto& d : drivers) d->go();
  QHash<QString, QStringList> drawn;  // series -> numbers
  QHash<QString, int> drawer;         // number -> the process that drew it
  QHash<QString, int> half;           // number -> 0 drawn before the halfway wait, 1 after it
  for (int i = 0; i < 2; ++i) {
    auto& d = drivers[i];
    ASSERT_TRUE(d->finish());
    ASSERT_EQ(d->exitCode(), 0) << d->errorText().toStdString();
    EXPECT_TRUE(d->boxes().isEmpty());
    const QStringList lines = d->outputLines();
    ASSERT_EQ(lines.size(), perProcess);
    for (qsizetype k = 0; k < lines.size(); ++k) {
      const QStringList f = lines[k].split(QLatin1Char(' '));
      ASSERT_EQ(f.size(), 3) << lines[k].toStdString();
      drawn[f[0] + QLatin1Char(':') + f[1]] << f[2];
      drawer.insert(f[0] + QLatin1Char(' ') + f[2], i);
      half.insert(f[0] + QLatin1Char(' ') + f[2], k < perProcess / 2 ? 0 : 1);
    }
  }

  company = site.openCompany();
  struct Series {
    QString key;
    qint64 firstExpected;
  } series[] = {{consolidation, lastBefore + 1}, {bill, 1}};
  for (const Series& s : series) {
    SCOPED_TRACE(s.key.toStdString());
    const QStringList codeYear = s.key.split(QLatin1Char(':'));
    db::Params p;
    p.setText(QStringLiteral("Code"), codeYear[0]);
    p.setInt(QStringLiteral("Y"), codeYear[1].toInt());
    // One counter row per series and year, also for the one the two processes made.
    const db::Result counter = company->select(QStringLiteral("Select Prefix, LastNo From DocumentNo Where Code = :Code And DocYear = :Y"), p);
    ASSERT_EQ(counter.rowCount(), 1);
    QString prefix = counter.asString(QStringLiteral("Prefix"));
    while (prefix.endsWith(QLatin1Char(' '))) prefix.chop(1);

    const QStringList& numbers = drawn[s.key];
    ASSERT_EQ(numbers.size(), perProcess);  // each process drew half of its numbers from each series
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), numbers.size()) << "a number was drawn twice";
    std::vector<qint64> values;
    for (const QString& n : numbers) {
      ASSERT_TRUE(n.startsWith(prefix)) << n.toStdString();
      bool ok = false;
      values.push_back(n.mid(prefix.size()).toLongLong(&ok));
      ASSERT_TRUE(ok) << n.toStdString();
    }
    std::sort(values.begin(), values.end());
    // No gap: the numbers run on from the counter's last number before the run to its last now.
    EXPECT_EQ(values.front(), s.firstExpected);
    EXPECT_EQ(values.back(), s.firstExpected + perProcess - 1);
    EXPECT_EQ(counter.asInt(QStringLiteral("LastNo")), values.back());
    // The two drew at the same time: every number drawn after the halfway wait follows every
    // number drawn before it, by either process, so in number order the series passes from one
    // process to the other more than once.
    QStringList sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    const auto key = [&](const QString& n) -> QString { return codeYear[0] + QLatin1Char(' ') + n; };
    qsizetype firstAfterHalf = sorted.size();
    for (qsizetype k = 0; k < sorted.size(); ++k)
      if (half.value(key(sorted[k])) == 1) {
        firstAfterHalf = k;
        break;
      }
    EXPECT_EQ(firstAfterHalf, perProcess / 2) << "a number drawn after the halfway wait comes before one drawn before it";
    QSet<int> drawersBefore, drawersAfter;
    for (qsizetype k = 0; k < sorted.size(); ++k) (k < firstAfterHalf ? drawersBefore : drawersAfter) << drawer.value(key(sorted[k]));
    EXPECT_EQ(drawersBefore, (QSet<int>{0, 1})) << "both drew before the halfway wait";
    EXPECT_EQ(drawersAfter, (QSet<int>{0, 1})) << "both drew after it";
    int changes = 0;
    for (qsizetype k = 1; k < sorted.size(); ++k)
      if (drawer.value(key(sorted[k])) != drawer.value(key(sorted[k - 1]))) ++changes;
    EXPECT_GT(changes, 1) << "the processes did not draw at the same time";
  }
}

TEST(TwoUsers, PackDifferentBoxesAtOnce) {
  testsupport::TempSite site;
  QTemporaryDir logs;
  // Demo boxes BOX000001 ... BOX000020 are registered and empty; C00001 is an ordinary customer.
  const QStringList barcodes{QStringLiteral("8850000010019"), QStringLiteral("8850000010019"), embedded::demoBarcode(2, 1)};
  const QStringList boxes[2] = {{"BOX000001", "BOX000002", "BOX000003", "BOX000004", "BOX000005"},
                                {"BOX000006", "BOX000007", "BOX000008", "BOX000009", "BOX000010"}};
  auto company = site.openCompany();
  const qint64 invoicesBefore = company->select(QStringLiteral("Select Count(*) n From IvHd")).asInt(QStringLiteral("n"));
  company.reset();

  std::vector<std::unique_ptr<Process>> drivers;
  for (int i = 0; i < 2; ++i) {
    const QStringList args = QStringList{QStringLiteral("pack"), QStringLiteral("C00001"), barcodes.join(QLatin1Char(',')),
                                         boxes[i].join(QLatin1Char(',')), QStringLiteral("--")} +
                             reliability::programArguments(102);
    drivers.push_back(std::make_unique<Process>(reliability::driverPath(), args, site.folder(),
                                                logs.filePath(QStringLiteral("boxes-%1.jsonl").arg(i)),
                                                QStringList(boxes[i].size(), QStringLiteral("yes"))));
  }
  for (auto& d : drivers) ASSERT_TRUE(d->waitReady());
  for (auto& d : drivers) d->go();
  QHash<QString, QString> documentOfBox;
  for (auto& d : drivers) {
    ASSERT_TRUE(d->finish());
    ASSERT_EQ(d->exitCode(), 0) << d->errorText().toStdString();
    for (const QString& line : d->outputLines()) {
      const QStringList f = line.split(QLatin1Char(' '));
      ASSERT_EQ(f.size(), 2) << line.toStdString();
      documentOfBox.insert(f[0], f[1]);
    }
  }
  ASSERT_EQ(documentOfBox.size(), 10);

  company = site.openCompany();
  EXPECT_EQ(company->select(QStringLiteral("Select Count(*) n From IvHd")).asInt(QStringLiteral("n")), invoicesBefore + 10);
  QSet<QString> invoices;
  for (auto it = documentOfBox.cbegin(); it != documentOfBox.cend(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    invoices.insert(it.value());
    db::Params p;
    p.setText(QStringLiteral("Box"), it.key());
    p.setText(QStringLiteral("Iv"), it.value());
    const db::Result box = company->select(QStringLiteral("Select Id, IvNo From BoxNo Where BarCode = :Box"), p);
    ASSERT_EQ(box.rowCount(), 1);
    EXPECT_EQ(box.asString(QStringLiteral("IvNo")), it.value());
    p.setInt(QStringLiteral("Id"), box.asInt(QStringLiteral("Id")));
    // The box's own pieces, and an invoice made from this box alone with all of them.
    EXPECT_EQ(company->select(QStringLiteral("Select Count(*) n From BoxNoProductUnits Where BoxNo = :Id"), p).asInt(QStringLiteral("n")),
              barcodes.size());
    const db::Result iv = company->select(QStringLiteral("Select H.BoxNoId, H.Reference, Count(D.Id) Lines From IvHd H "
                                                         "Left Join IvDt D On D.IvHd = H.Id Where H.IvNo = :Iv Group By H.Id"),
                                          p);
    ASSERT_EQ(iv.rowCount(), 1) << "one invoice per number";
    EXPECT_EQ(iv.asInt(QStringLiteral("BoxNoId")), box.asInt(QStringLiteral("Id")));
    EXPECT_EQ(iv.asString(QStringLiteral("Reference")), it.key());
    EXPECT_EQ(iv.asInt(QStringLiteral("Lines")), 2) << "two products: the two bottles make one line";
  }
  EXPECT_EQ(invoices.size(), 10) << "every box has its own invoice number";
}

TEST(TwoUsers, SaveConsolidationsOfTheSameZoneAtOnce) {
  testsupport::TempSite site;
  QTemporaryDir logs;
  // Both users load zone Z01 and tick every line before either saves. Each answers Yes to the Save
  // question and No to saving without the lines the other one took.
  std::vector<std::unique_ptr<Process>> drivers;
  for (int i = 0; i < 2; ++i) {
    const QStringList args = QStringList{QStringLiteral("conso"), QStringLiteral("Z01"), QStringLiteral("--")} +
                             reliability::programArguments(200);
    drivers.push_back(std::make_unique<Process>(reliability::driverPath(), args, site.folder(),
                                                logs.filePath(QStringLiteral("boxes-%1.jsonl").arg(i)),
                                                QStringList{QStringLiteral("yes"), QStringLiteral("no")}));
  }
  for (auto& d : drivers) ASSERT_TRUE(d->waitReady());
  for (auto& d : drivers) d->go();
  QStringList saved;
  QList<QVector<qint64>> loaded;  // the lines each user had ticked
  int told = 0;
  for (auto& d : drivers) {
    ASSERT_TRUE(d->finish());
    ASSERT_EQ(d->exitCode(), 0) << d->errorText().toStdString();
    const QStringList out = d->outputLines();
    ASSERT_EQ(out.size(), 2);
    ASSERT_TRUE(out[0].startsWith(QLatin1String("loaded "))) << out[0].toStdString();
    QVector<qint64> ids;
    for (const QString& id : out[0].mid(7).split(QLatin1Char(','), Qt::SkipEmptyParts)) ids << id.toLongLong();
    std::sort(ids.begin(), ids.end());
    loaded << ids;
    if (out[1].startsWith(QLatin1String("saved "))) saved << out[1].mid(6);
    for (const reliability::Box& b : d->boxes())
      if (b.text.startsWith(QStringLiteral("รายการของใบสั่งขายต่อไปนี้ถูกจัดลงใบจัดสินค้าอื่นของเขตนี้แล้ว"))) ++told;
  }
  ASSERT_EQ(saved.size(), 1) << "the first save goes through, the second is refused";
  EXPECT_EQ(told, 1) << "the second user is told which orders the first one took";

  auto company = site.openCompany();
  // No sales-order line is in two open consolidations.
  const db::Result twice = company->select(QStringLiteral(
      "Select D.SoDt, Count(Distinct H.Id) n From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
      "Where H.Confirm = 'N' And H.Delflag = 'N' Group By D.SoDt Having Count(Distinct H.Id) > 1"));
  EXPECT_EQ(twice.rowCount(), 0) << "a line is held by two consolidations";
  // Both users had loaded the same lines, among them C00001's due order; the saved document holds
  // exactly those lines, each once.
  ASSERT_EQ(loaded.size(), 2);
  EXPECT_EQ(loaded[0], loaded[1]);
  const QVector<qint64> dueOfC00001 = testsupport::ids(
      *company, QStringLiteral("Select D.Id From SoDt D Where D.SoHd = (Select Min(H.Id) From SoHd H Inner Join Customer C "
                               "On C.Id = H.Customer Where C.Code = 'C00001') Order By D.Id"));
  ASSERT_EQ(dueOfC00001.size(), 3);
  for (qint64 id : dueOfC00001) EXPECT_TRUE(loaded[0].contains(id)) << id;
  db::Params p;
  p.setText(QStringLiteral("No"), saved.first());
  const QVector<qint64> held = testsupport::ids(
      *company, QStringLiteral("Select D.SoDt From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                               "Where H.DocNo = :No Order By D.SoDt"),
      p);
  EXPECT_EQ(held, loaded[0]) << "the saved document holds each loaded line once";
}

// User A opens a consolidation; user B opens it too and sends it to invoices; then A saves it, sends
// it to invoices or deletes it. A is refused and told what changed; the document stays finished with
// B's invoices, and no line is invoiced twice.
TEST(TwoUsers, ADocumentFinishedElsewhereIsNotWrittenOver) {
  const auto run = [](const QString& folder, const QString& log, const QStringList& job, const QStringList& answers) {
    return std::make_unique<Process>(reliability::driverPath(), job + QStringList{QStringLiteral("--")} + reliability::programArguments(200),
                                     folder, log, answers);
  };
  for (const char* action : {"save", "invoice", "delete"}) {
    SCOPED_TRACE(action);
    testsupport::TempSite site;
    QTemporaryDir logs;
    // A consolidation of zone Z01 holding every due line.
    auto maker = run(site.folder(), logs.filePath(QStringLiteral("maker.jsonl")), {QStringLiteral("conso"), QStringLiteral("Z01")},
                     {QStringLiteral("yes")});
    ASSERT_TRUE(maker->waitReady());
    maker->go();
    ASSERT_TRUE(maker->finish());
    ASSERT_EQ(maker->exitCode(), 0) << maker->errorText().toStdString();
    ASSERT_EQ(maker->outputLines().size(), 2);  // "loaded ...", then the outcome
    ASSERT_TRUE(maker->outputLines()[1].startsWith(QLatin1String("saved "))) << maker->outputLines()[1].toStdString();
    const QString docNo = maker->outputLines()[1].mid(6);

    auto a = run(site.folder(), logs.filePath(QStringLiteral("a.jsonl")), {QStringLiteral("edit"), docNo, QString::fromLatin1(action)},
                 {QStringLiteral("yes")});
    auto b = run(site.folder(), logs.filePath(QStringLiteral("b.jsonl")), {QStringLiteral("edit"), docNo, QStringLiteral("invoice")},
                 {QStringLiteral("yes")});
    ASSERT_TRUE(a->waitReady()) << a->errorText().toStdString();
    ASSERT_TRUE(b->waitReady()) << b->errorText().toStdString();
    b->go();
    ASSERT_TRUE(b->finish());
    ASSERT_EQ(b->exitCode(), 0) << b->errorText().toStdString();
    ASSERT_EQ(b->outputLines(), QStringList{QStringLiteral("invoiced ") + docNo});

    db::Params p;
    p.setText(QStringLiteral("No"), docNo);
    const QString linesOfDoc = QStringLiteral(
        "Select D.Id, D.SoDt, D.ToConso, D.SendQnty, D.IvNo, D.IvHd, D.IvDt From ConsolidateDt D "
        "Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd Where H.DocNo = :No Order By D.Id");
    const QString header = QStringLiteral("Select Confirm, Delflag, Carman From ConsolidateHd Where DocNo = :No");
    auto company = site.openCompany();
    const db::Result linesAfterB = company->select(linesOfDoc, p);
    const db::Result headerAfterB = company->select(header, p);
    const qint64 invoicesAfterB = company->select(QStringLiteral("Select Count(*) n From IvHd")).asInt(QStringLiteral("n"));
    ASSERT_EQ(headerAfterB.asString(QStringLiteral("Confirm")), QStringLiteral("Y"));
    int invoiced = 0;
    for (const auto& row : linesAfterB.rows()) invoiced += row[4].toString().trimmed().isEmpty() ? 0 : 1;
    ASSERT_GT(invoiced, 0) << "B's invoices were made";
    company.reset();

    a->go();
    ASSERT_TRUE(a->finish());
    ASSERT_EQ(a->exitCode(), 0) << a->errorText().toStdString();
    EXPECT_EQ(a->outputLines(), QStringList{QStringLiteral("not saved")});
    QStringList refusals;
    for (const reliability::Box& box : a->boxes())
      if (box.text.startsWith(QStringLiteral("เอกสารเลขที่ %1 ถูกแก้ไขจากเครื่องอื่นหลังจากเปิดเอกสารนี้").arg(docNo))) refusals << box.text;
    ASSERT_EQ(refusals.size(), 1) << "A is told once";
    EXPECT_TRUE(refusals[0].contains(QStringLiteral("เอกสารจัดเสร็จแล้ว"))) << refusals[0].toStdString();
    EXPECT_TRUE(refusals[0].contains(QStringLiteral("รายการถูกออก Invoice แล้ว : "))) << refusals[0].toStdString();

    company = site.openCompany();
    // The document and its lines are as B left them: finished, with B's invoices.
    const db::Result headerNow = company->select(header, p);
    EXPECT_EQ(headerNow.asString(QStringLiteral("Confirm")), QStringLiteral("Y"));
    EXPECT_EQ(headerNow.asString(QStringLiteral("Delflag")), QStringLiteral("N"));
    EXPECT_EQ(headerNow.asString(QStringLiteral("Carman")), headerAfterB.asString(QStringLiteral("Carman")));
    EXPECT_EQ(company->select(linesOfDoc, p).rows(), linesAfterB.rows());
    EXPECT_EQ(company->select(QStringLiteral("Select Count(*) n From IvHd")).asInt(QStringLiteral("n")), invoicesAfterB)
        << "no invoice made after B's";
    // No sales-order line is on two invoices.
    EXPECT_EQ(company->select(QStringLiteral("Select SoDt From ConsolidateDt Where Coalesce(IvNo, '') <> '' "
                                             "Group By SoDt Having Count(*) > 1"))
                  .rowCount(),
              0);
  }
}

// User A sends a consolidation to invoices; its save step commits, and before its invoicing step
// starts, user B sends the same document to invoices, saves it with another driver, or deletes it.
// A's invoicing step finds the document no longer as A saved it: nothing is invoiced, A is told
// what changed, and the document stays as B left it.
TEST(TwoUsers, ADocumentChangedBetweenTheSaveAndTheInvoicesIsNotInvoiced) {
  const auto run = [](const QString& folder, const QString& log, const QStringList& job, const QStringList& answers) {
    return std::make_unique<Process>(reliability::driverPath(), job + QStringList{QStringLiteral("--")} + reliability::programArguments(200),
                                     folder, log, answers);
  };
  struct Case {
    const char* action;  // B's
    const char* outcome;  // B's output before the number
    const char* named;    // what A's refusal names
  } cases[] = {
      {"invoice", "invoiced", "เอกสารจัดเสร็จแล้ว (ออก Invoice แล้ว)"},
      {"save", "saved", "หัวเอกสารถูกแก้ไข : Carman"},
      {"delete", "deleted", "เอกสารถูกยกเลิกแล้ว"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    testsupport::TempSite site;
    QTemporaryDir logs;
    auto maker = run(site.folder(), logs.filePath(QStringLiteral("maker.jsonl")), {QStringLiteral("conso"), QStringLiteral("Z01")},
                     {QStringLiteral("yes")});
    ASSERT_TRUE(maker->waitReady());
    maker->go();
    ASSERT_TRUE(maker->finish());
    ASSERT_EQ(maker->exitCode(), 0) << maker->errorText().toStdString();
    ASSERT_EQ(maker->outputLines().size(), 2);
    ASSERT_TRUE(maker->outputLines()[1].startsWith(QLatin1String("saved "))) << maker->outputLines()[1].toStdString();
    const QString docNo = maker->outputLines()[1].mid(6);

    // A: Send to invoices, held between its save and its invoicing step.
    auto a = run(site.folder(), logs.filePath(QStringLiteral("a.jsonl")), {QStringLiteral("edit"), docNo, QStringLiteral("invoice-paused")},
                 {QStringLiteral("yes")});
    ASSERT_TRUE(a->waitReady()) << a->errorText().toStdString();
    a->go();
    ASSERT_TRUE(a->waitReady()) << "A's save step: " << a->errorText().toStdString();

    auto b = run(site.folder(), logs.filePath(QStringLiteral("b.jsonl")), {QStringLiteral("edit"), docNo, QString::fromLatin1(c.action)},
                 {QStringLiteral("yes")});
    ASSERT_TRUE(b->waitReady()) << b->errorText().toStdString();
    b->go();
    ASSERT_TRUE(b->finish());
    ASSERT_EQ(b->exitCode(), 0) << b->errorText().toStdString();
    ASSERT_EQ(b->outputLines(), QStringList{QString::fromLatin1(c.outcome) + QLatin1Char(' ') + docNo});

    db::Params p;
    p.setText(QStringLiteral("No"), docNo);
    const QString linesOfDoc = QStringLiteral(
        "Select D.Id, D.SoDt, D.ToConso, D.SendQnty, D.IvNo, D.IvHd, D.IvDt From ConsolidateDt D "
        "Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd Where H.DocNo = :No Order By D.Id");
    const QString header = QStringLiteral("Select Confirm, Delflag, Carman From ConsolidateHd Where DocNo = :No");
    const QString soLines = QStringLiteral("Select Id, BackOrder, Send, Clear From SoDt Order By Id");
    auto company = site.openCompany();
    const db::Result linesAfterB = company->select(linesOfDoc, p);
    const db::Result headerAfterB = company->select(header, p);
    const db::Result soAfterB = company->select(soLines);
    const qint64 invoicesAfterB = company->select(QStringLiteral("Select Count(*) n From IvHd")).asInt(QStringLiteral("n"));
    company.reset();

    a->go();
    ASSERT_TRUE(a->finish());
    ASSERT_EQ(a->exitCode(), 0) << a->errorText().toStdString();
    EXPECT_EQ(a->outputLines(), QStringList{QStringLiteral("not invoiced")});
    QStringList refusals;
    for (const reliability::Box& box : a->boxes())
      if (box.text.startsWith(QStringLiteral("เอกสารเลขที่ %1 ถูกแก้ไขจากเครื่องอื่นหลังจากบันทึก จึงไม่ได้ออก Invoice").arg(docNo)))
        refusals << box.text;
    ASSERT_EQ(refusals.size(), 1) << "A is told once";
    EXPECT_TRUE(refusals[0].contains(QString::fromUtf8(c.named))) << refusals[0].toStdString();
    for (const reliability::Box& box : a->boxes()) EXPECT_FALSE(box.text.startsWith(QStringLiteral("เลขที่ใบขาย"))) << "no invoice list";

    // Nothing written after B: the document, its lines, the orders and the invoices are as B left them.
    company = site.openCompany();
    EXPECT_EQ(company->select(header, p).rows(), headerAfterB.rows());
    EXPECT_EQ(company->select(linesOfDoc, p).rows(), linesAfterB.rows());
    EXPECT_EQ(company->select(soLines).rows(), soAfterB.rows());
    EXPECT_EQ(company->select(QStringLiteral("Select Count(*) n From IvHd")).asInt(QStringLiteral("n")), invoicesAfterB)
        << "no invoice made after B";
    EXPECT_EQ(company->select(QStringLiteral("Select SoDt From ConsolidateDt Where Coalesce(IvNo, '') <> '' "
                                             "Group By SoDt Having Count(*) > 1"))
                  .rowCount(),
              0);
  }
}

}  // namespace
