// Thai demo data for a site: enough of every kind of row for each window to have work to do.
// The data is the same for the same scale and day: a fixed-seed generator decides everything else.
// The fixed facts that tests rely on are listed in docs/embedded-server.md.
#include <QHash>
#include <QSet>
#include <cmath>

#include "bulk_insert.h"
#include "embedded.h"

namespace embedded {

QString demoBarcode(int productNo, int unitNo) {
  const QString twelve = QStringLiteral("885") + QString::number(productNo).rightJustified(6, QLatin1Char('0')) +
                         QString::number(unitNo).rightJustified(3, QLatin1Char('0'));
  return twelve + QString::number(ean13CheckDigit(twelve));
}

int ean13CheckDigit(const QString& d) {
  int sum = 0;
  for (int i = 0; i < 12 && i < d.size(); ++i) sum += d[i].digitValue() * (i % 2 == 0 ? 1 : 3);
  return (10 - sum % 10) % 10;
}

namespace {

// splitmix64: the same numbers on every platform.
struct Rng {
  quint64 s;
  quint64 next() {
    quint64 z = (s += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int range(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }  // inclusive
  bool chance(double p) { return double(next() >> 11) / double(1ULL << 53) < p; }
};

QString code(const char* head, int n, int width) { return QString::fromLatin1(head) + QString::number(n).rightJustified(width, QLatin1Char('0')); }
QString utf(const char* s) { return QString::fromUtf8(s); }
QString yes() { return QStringLiteral("Y"); }
QString no() { return QStringLiteral("N"); }
double money(double v) { return std::round(v * 100.0) / 100.0; }

struct Province {
  const char* code;
  const char* name;
  const char* zip;
  std::initializer_list<const char*> districts;
};
const Province kProvinces[] = {
    {"10", "กรุงเทพมหานคร", "10", {"เขตบางซื่อ", "เขตจตุจักร", "เขตบางกะปิ", "เขตห้วยขวาง", "เขตธนบุรี", "เขตบางแค"}},
    {"11", "สมุทรปราการ", "10", {"อำเภอเมืองสมุทรปราการ", "อำเภอบางพลี", "อำเภอพระประแดง"}},
    {"12", "นนทบุรี", "11", {"อำเภอเมืองนนทบุรี", "อำเภอปากเกร็ด", "อำเภอบางบัวทอง"}},
    {"13", "ปทุมธานี", "12", {"อำเภอเมืองปทุมธานี", "อำเภอคลองหลวง", "อำเภอลำลูกกา"}},
    {"20", "ชลบุรี", "20", {"อำเภอเมืองชลบุรี", "อำเภอศรีราชา", "อำเภอบางละมุง"}},
    {"30", "นครราชสีมา", "30", {"อำเภอเมืองนครราชสีมา", "อำเภอปากช่อง"}},
    {"40", "ขอนแก่น", "40", {"อำเภอเมืองขอนแก่น", "อำเภอชุมแพ"}},
    {"50", "เชียงใหม่", "50", {"อำเภอเมืองเชียงใหม่", "อำเภอสันทราย"}},
    {"80", "นครศรีธรรมราช", "80", {"อำเภอเมืองนครศรีธรรมราช", "อำเภอทุ่งสง"}},
    {"90", "สงขลา", "90", {"อำเภอหาดใหญ่", "อำเภอเมืองสงขลา"}},
};
constexpr int kProvinceCount = int(sizeof(kProvinces) / sizeof(kProvinces[0]));

struct Category {
  const char* name;
  const char* small;
  const char* large;
  int fraction;
  double smallKg;
};
const Category kCategories[] = {
    {"น้ำปลา", "ขวด", "ลัง", 12, 0.75},          {"ซีอิ๊วขาว", "ขวด", "ลัง", 12, 0.70},
    {"น้ำมันพืช", "ขวด", "ลัง", 12, 1.00},        {"บะหมี่กึ่งสำเร็จรูป", "ซอง", "กล่อง", 30, 0.06},
    {"ปลากระป๋อง", "กระป๋อง", "ลัง", 48, 0.16},   {"นมยูเอชที", "กล่อง", "ลัง", 36, 0.23},
    {"น้ำดื่ม", "ขวด", "แพ็ค", 12, 0.60},          {"ผงซักฟอก", "ถุง", "ลัง", 12, 0.90},
    {"สบู่ก้อน", "ก้อน", "โหล", 12, 0.10},          {"ยาสีฟัน", "หลอด", "โหล", 12, 0.16},
    {"กาแฟปรุงสำเร็จ", "ถุง", "ลัง", 24, 0.40},     {"น้ำตาลทราย", "ถุง", "กระสอบ", 20, 1.00},
    {"ซอสมะเขือเทศ", "ขวด", "ลัง", 24, 0.30},     {"เครื่องดื่มชูกำลัง", "ขวด", "ลัง", 50, 0.15},
    {"ข้าวหอมมะลิ 5 กก.", "ถุง", "กระสอบ", 4, 5.00}, {"กระดาษทิชชู", "ม้วน", "แพ็ค", 24, 0.12},
};
constexpr int kCategoryCount = int(sizeof(kCategories) / sizeof(kCategories[0]));
const char* const kBrands[] = {"ตราช้าง", "ตราแมว", "ตรานกอินทรี", "ตราดอกบัว", "ตราเสือ", "ตรามังกร", "ตราปลาทอง", "ตราม้าบิน", "ตราเรือใบ", "ตราภูเขา"};
const char* const kShopHeads[] = {"ร้าน", "ร้าน", "ร้าน", "หจก.", "บริษัท "};
const char* const kShopCores[] = {"สมใจ", "เจริญ", "รุ่งเรือง", "มั่งมี", "ศรีสุข", "ทองดี", "มงคล", "ประเสริฐ", "วัฒนา", "ชัยมงคล", "พูนผล", "ร่ำรวย"};
const char* const kShopTails[] = {"การค้า", "พาณิชย์", "ซุปเปอร์", "มินิมาร์ท", "ค้าส่ง", "โชห่วย"};
const char* const kFirstNames[] = {"สมชาย", "สมศักดิ์", "วิชัย", "สุนทร", "ประยุทธ", "มานพ", "สุดา", "วันเพ็ญ", "กาญจนา", "ปราณี", "ธนพล", "อนุชา"};
const char* const kSurnames[] = {"ใจดี", "รักษ์ไทย", "ศรีสวัสดิ์", "บุญมา", "แสงทอง", "วงศ์สวัสดิ์", "ทองคำ", "สุขเจริญ", "มีสุข", "พรหมมา"};
template <typename T, size_t N>
constexpr int count(const T (&)[N]) {
  return int(N);
}

struct Unit {
  qint64 id;
  QString name;
  int fraction;
  double kg;
  double price;
};
struct Product {
  qint64 id;
  QString code;
  QVector<Unit> units;  // [0] small unit, [1] large (stock) unit, [2] middle unit when present
};
struct Customer {
  qint64 id;
  QString code;
  QString name;
  int zone;  // index into zones
  QString blocked;
  bool consignment;
  qint64 salesman;
  qint64 department;
  int dueDays;
  qint64 warehouse;  // consignment warehouse, 0 when none
  bool vatIncluded;  // its prices include VAT (orders and invoices "I")
};
struct Line {
  int product;  // index into products
  int unit;     // index into the product's units
  double qty;   // in the line's unit
  double send;  // in the line's unit
};
struct Counter {
  qint64 id;
  QString prefix;
  int length;
  qint64 last;
};

class Demo {
 public:
  Demo(db::Connection& c, const SiteOptions& o) : c_(c), o_(o), rng_{20240917ULL} {
    n_ = o.scale;
    today_ = o.now.date();
    year_ = today_.year();
    zoneCount_ = std::min(40, 4 + (n_ - 1) / 4);
    activeSalesmen_ = 4 + (n_ - 1) / 4;
    customerCount_ = 40 * n_;
    productCount_ = 200 * n_;
    lineTarget_ = 2000 * n_;
    invoiceCount_ = 150 * n_;
    boxCount_ = 20 * n_;
  }

  void run() {
    misc();
    salesmen();
    groupsAndAttributes();
    customers();
    products();
    // The first CONSOLIDAT numbers belong to the demo consolidation documents.
    for (int i = 0; i < 3; ++i) consoNos_ << next(QStringLiteral("CONSOLIDAT"), year_);
    salesOrders();
    invoices();
    consolidations();
    moneyBill();
    boxes();
    flushAll();
    writeCounters();
  }

 private:
  void progress(const QString& s) {
    if (o_.progress) o_.progress(s);
  }

  qint64 maxId(const QString& table) {
    return c_.select(QStringLiteral("Select Coalesce(Max(Id), 0) N From ") + table).asInt(QStringLiteral("N"));
  }

  QString next(const QString& docCode, int year) {
    const QString key = docCode + QLatin1Char('|') + QString::number(year);
    auto it = counters_.find(key);
    if (it == counters_.end()) {
      const qint64 id = documentCounterId(c_, docCode, year);
      if (id <= 0) throw db::Error(QStringLiteral("No counter for %1").arg(docCode));
      db::Params p;
      p.setInt(QStringLiteral("Id"), id);
      const db::Result r = c_.select(QStringLiteral("Select Prefix, LastNo, DocumentLength From DocumentNo Where Id = :Id"), p);
      it = counters_.insert(key, Counter{id, r.asString(QStringLiteral("Prefix")).trimmed(), int(r.asInt(QStringLiteral("DocumentLength"))),
                                         r.asInt(QStringLiteral("LastNo"))});
    }
    return formatDocumentNo(it->prefix, ++it->last, it->length);
  }

  void writeCounters() {
    for (const Counter& k : counters_) {
      db::Params p;
      p.setInt(QStringLiteral("Id"), k.id);
      p.setInt(QStringLiteral("Last"), k.last);
      c_.execute(QStringLiteral("Update DocumentNo Set LastNo = :Last Where Id = :Id"), p);
    }
  }

  // ---- Reference data ----
  void misc() {
    BulkInsert m(c_, QStringLiteral("Misc"), {"Id", "GroupCode", "Code", "Description", "Blocked", "AutoRunDocMonth"});
    qint64 id = maxId(QStringLiteral("Misc"));
    static const char* const zoneNames[] = {"เขต 1 กรุงเทพฯ ฝั่งพระนคร", "เขต 2 กรุงเทพฯ ฝั่งธนบุรี", "เขต 3 นนทบุรี - ปทุมธานี",
                                            "เขต 4 สมุทรปราการ"};
    for (int z = 0; z < zoneCount_; ++z) {
      const QString desc = z < 4 ? utf(zoneNames[z])
                                 : QStringLiteral("เขต %1 %2").arg(z + 1).arg(utf(kProvinces[4 + (z - 4) % (kProvinceCount - 4)].name));
      zoneIds_ << ++id;
      m.add({id, QStringLiteral("ZONE"), code("Z", z + 1, 2), desc, no(), QVariant()});
    }
    for (const Province& p : kProvinces) {
      provinceIds_ << ++id;
      m.add({id, QStringLiteral("CITY"), QString::fromLatin1(p.code), utf(p.name), no(), QVariant()});
    }
    static const char* const depts[] = {"ฝ่ายขายกรุงเทพฯ", "ฝ่ายขายต่างจังหวัด", "ฝ่ายขายโมเดิร์นเทรด"};
    for (int d = 0; d < 3; ++d) {
      departmentIds_ << ++id;
      m.add({id, QStringLiteral("DEPARTMENT"), code("D", d + 1, 2), utf(depts[d]), no(), QVariant()});
    }
    m.flush();
    BulkInsert w(c_, QStringLiteral("Warehouse"), {"Id", "Code", "Description", "Consignment", "Customer"});
    w.add({2, QStringLiteral("WH02"), QStringLiteral("คลังสินค้าสาขา"), no(), QVariant()});
    w.flush();
  }

  void salesmen() {
    BulkInsert s(c_, QStringLiteral("Salesman"),
                 {"Id", "Code", "Name", "Surname", "Department", "Status", "StartDate", "StopDate", "Address1", "Address2",
                  "Address3", "Province", "ZipCode", "PhoneNo", "FaxNo", "EMail"});
    const int total = activeSalesmen_ + 1;  // the last one is suspended
    const int width = std::max(2, int(QString::number(total).size()));
    for (int i = 0; i < total; ++i) {
      const bool suspended = i == total - 1;
      const qint64 id = i + 1;
      const qint64 dept = departmentIds_[i % departmentIds_.size()];
      if (!suspended) {
        salesmanIds_ << id;
        salesmanDept_ << dept;
      }
      s.add({id, code("S", i + 1, width), utf(kFirstNames[i % count(kFirstNames)]), utf(kSurnames[(i * 7 + 3) % count(kSurnames)]),
             dept, suspended ? no() : yes(), today_.addYears(-3).addDays(i), suspended ? QVariant(today_.addMonths(-2)) : QVariant(),
             QStringLiteral("%1/%2 หมู่บ้านพนักงาน").arg(10 + i).arg(i % 9 + 1), QString(), QStringLiteral("เขตจตุจักร"), provinceIds_[0],
             QStringLiteral("10900"), QStringLiteral("08%1").arg(10000000 + i * 7919, 8, 10, QLatin1Char('0')), QString(),
             QStringLiteral("sales%1@example.co.th").arg(i + 1)});
    }
    s.flush();
  }

  void groupsAndAttributes() {
    BulkInsert g(c_, QStringLiteral("CustomerGroup"), {"Id", "Code", "Description"});
    g.add({1, QStringLiteral("G01"), QStringLiteral("ร้านค้าปลีก")});
    g.add({2, QStringLiteral("G02"), QStringLiteral("ร้านค้าส่ง")});
    g.add({3, QStringLiteral("G03"), QStringLiteral("โมเดิร์นเทรด")});
    g.add({4, QStringLiteral("G04"), QStringLiteral("ลูกค้าฝากขาย")});
    g.flush();
    BulkInsert ag(c_, QStringLiteral("CusAttrGroup"), {"Id", "Code", "Description"});
    ag.add({1, QStringLiteral("CH"), QStringLiteral("ช่องทางจำหน่าย")});
    ag.add({2, QStringLiteral("SIZE"), QStringLiteral("ขนาดร้านค้า")});
    ag.flush();
    BulkInsert ac(c_, QStringLiteral("CusAttrCode"), {"Id", "CusAttrGroup", "Code", "Description"});
    ac.add({1, 1, QStringLiteral("01"), QStringLiteral("ร้านโชห่วย")});
    ac.add({2, 1, QStringLiteral("02"), QStringLiteral("มินิมาร์ท")});
    ac.add({3, 1, QStringLiteral("03"), QStringLiteral("ร้านค้าส่ง")});
    ac.add({4, 2, QStringLiteral("S"), QStringLiteral("ร้านเล็ก")});
    ac.add({5, 2, QStringLiteral("M"), QStringLiteral("ร้านกลาง")});
    ac.add({6, 2, QStringLiteral("L"), QStringLiteral("ร้านใหญ่")});
    ac.flush();
  }

  int provinceOfZone(int z) {
    switch (z) {
      case 0:
      case 1: return 0;
      case 2: return 2 + int(rng_.next() % 2);
      case 3: return 1;
      default: return 4 + (z - 4) % (kProvinceCount - 4);
    }
  }

  void customers() {
    BulkInsert cu(c_, QStringLiteral("Customer"),
                  {"Id", "Code", "CustomerGroup", "Name", "NameShort", "NameEng", "TaxNumber", "TaxCode", "Address1", "Address2",
                   "Address3", "Province", "ZIPCode", "PhoneNo", "FaxNo", "OpenAccount", "DueDays", "CreditLimit", "Salesman",
                   "Transport", "PriceLevel", "DirectCus", "LocalCustomer", "DropCredit", "Blocked", "BarCodeId", "Email",
                   "AddDate", "Currency", "statementperiod", "billperiod", "chqperiod", "DiscName1", "DiscRate1", "BranchHead",
                   "BranchCode", "Zone", "SendYourOrder", "ConSignMentFlag"});
    BulkInsert attr(c_, QStringLiteral("CustomerAttribute"), {"Customer", "GroupCode", "CusAttrGroup", "CusAttrCode"});
    BulkInsert wh(c_, QStringLiteral("Warehouse"), {"Id", "Code", "Description", "Consignment", "Customer"});
    qint64 whId = 2;
    QVector<int> positionInZone(zoneCount_, 0);
    static const int dueDays[] = {0, 7, 15, 30, 30, 45};
    for (int i = 0; i < customerCount_; ++i) {
      Customer c;
      c.id = i + 1;
      c.code = code("C", i + 1, 5);
      c.zone = i % zoneCount_;
      c.blocked = i == 3 ? QStringLiteral("Y") : i == 5 ? QStringLiteral("Z") : (i > 5 && rng_.chance(0.02)) ? QStringLiteral("Y") : no();
      c.consignment = i == 2 || i % 25 == 24;
      // One customer in ten buys at prices that include VAT (C00009, C00019, ...).
      c.vatIncluded = i % 10 == 8;
      const int sm = i % salesmanIds_.size();
      c.salesman = salesmanIds_[sm];
      c.department = salesmanDept_[sm];
      c.dueDays = dueDays[rng_.range(0, 5)];
      c.name = utf(kShopHeads[rng_.range(0, count(kShopHeads) - 1)]) + utf(kShopCores[rng_.range(0, count(kShopCores) - 1)]) +
               utf(kShopTails[rng_.range(0, count(kShopTails) - 1)]);
      if (i >= 12) c.name += QStringLiteral(" สาขา %1").arg(i / 12 + 1);
      const int prov = provinceOfZone(c.zone);
      const Province& p = kProvinces[prov];
      const auto districts = p.districts;
      const QString district = utf(districts.begin()[rng_.range(0, int(districts.size()) - 1)]);
      const QVariant sendOrder = i == 4 ? QVariant() : QVariant(++positionInZone[c.zone]);
      const int group = c.consignment ? 4 : rng_.range(1, 3);
      if (c.consignment) {
        c.warehouse = ++whId;
        wh.add({whId, c.code, QString(QStringLiteral("คลังฝากขาย ") + c.name), yes(), c.id});
      } else {
        c.warehouse = 0;
      }
      cu.add({c.id, c.code, group, c.name, c.name.left(30), QStringLiteral("Customer %1").arg(c.code),
              QStringLiteral("0%1").arg(105500000000LL + i * 37, 12, 10, QLatin1Char('0')), 1,
              QStringLiteral("%1/%2 ถนนสุขุมวิท").arg(rng_.range(1, 999)).arg(rng_.range(1, 99)), QStringLiteral("ตำบลในเมือง"),
              district, provinceIds_[prov], QString(QString::fromLatin1(p.zip) + QStringLiteral("000")),
              QStringLiteral("02-%1-%2").arg(rng_.range(100, 999)).arg(rng_.range(1000, 9999)),
              QStringLiteral("02-%1-%2").arg(rng_.range(100, 999)).arg(rng_.range(1000, 9999)), today_.addYears(-2).addDays(-i % 300),
              c.dueDays, double(rng_.range(1, 50) * 10000), c.salesman, 1, 1, no(), yes(), no(), c.blocked, 0,
              QStringLiteral("%1@example.co.th").arg(c.code.toLower()), today_.addYears(-2), 1, 30, 30, 30,
              QStringLiteral("ส่วนลดการค้า"), (i % 4 == 0) ? 2.0 : 0.0, yes(), QStringLiteral("00000"), zoneIds_[c.zone], sendOrder,
              c.consignment ? yes() : no()});
      const int ch = rng_.range(1, 3);
      const int size = rng_.range(4, 6);
      static const char* const chCodes[] = {"01", "02", "03"};
      static const char* const sizeCodes[] = {"S", "M", "L"};
      attr.add({c.id, QString(QStringLiteral("CH") + QString::fromLatin1(chCodes[ch - 1])), 1, ch});
      attr.add({c.id, QString(QStringLiteral("SIZE") + QString::fromLatin1(sizeCodes[size - 4])), 2, size});
      customers_ << c;
    }
    cu.flush();
    attr.flush();
    wh.flush();
    progress(QStringLiteral("customers: %1").arg(customerCount_));
  }

  void products() {
    BulkInsert pr(c_, QStringLiteral("Product"),
                  {"Id", "Code", "ThaiName", "EngName", "Subtype", "Negative", "UseSerial", "Blocked", "CheckSerialPurc",
                   "CheckSerialSale", "CheckSerialStock", "CheckSerialOnhand", "ProductFree"});
    BulkInsert un(c_, QStringLiteral("ProductUnits"),
                  {"Id", "Product", "UnitName", "Fraction", "SmallUnitFlag", "StockUnitFlag", "VolumnFraction", "Barcode", "Price"});
    BulkInsert oh(c_, QStringLiteral("ProductOnhand"), {"Product", "Warehouse", "BalanceYear", "Quantity"});
    qint64 unitId = 0;
    products_.reserve(productCount_);
    for (int i = 0; i < productCount_; ++i) {
      const Category& cat = kCategories[i % kCategoryCount];
      Product p;
      p.id = i + 1;
      p.code = code("P", i + 1, 5);
      const QString negative = (i == 1 || (i > 2 && i % 10 == 9)) ? yes() : no();
      const QString name = utf(cat.name) + QLatin1Char(' ') + utf(kBrands[(i / kCategoryCount) % count(kBrands)]) +
                           (i >= kCategoryCount * count(kBrands) ? QStringLiteral(" รุ่น %1").arg(i / (kCategoryCount * count(kBrands)) + 1)
                                                                  : QString());
      pr.add({p.id, p.code, name, QStringLiteral("Product %1").arg(p.code), QVariant(), negative, no(), no(), no(), no(), no(), no(), no()});
      const double smallPrice = money(rng_.range(800, 20000) / 100.0);
      p.units << Unit{++unitId, utf(cat.small), 1, cat.smallKg, smallPrice};
      p.units << Unit{++unitId, utf(cat.large), cat.fraction, cat.smallKg * cat.fraction, money(smallPrice * cat.fraction * 0.95)};
      if (i % 3 == 0 && cat.fraction % 2 == 0 && cat.fraction >= 12)
        p.units << Unit{++unitId, QStringLiteral("แพ็ค"), cat.fraction / 2, cat.smallKg * cat.fraction / 2,
                        money(smallPrice * cat.fraction / 2 * 0.97)};
      for (int u = 0; u < p.units.size(); ++u) {
        const Unit& x = p.units[u];
        un.add({x.id, p.id, x.name, x.fraction, u == 0 ? yes() : no(), u == 1 ? yes() : no(), x.kg, demoBarcode(i + 1, u + 1), x.price});
      }
      // Stock in base units: current year in WH01 (and WH02 for some), and last year's balance.
      if (i == 0) {
        oh.add({p.id, 1, year_, 200.0});
        oh.add({p.id, 2, year_, 50.0});
      } else if (i == 1) {
        // none this year
      } else if (i == 2) {
        oh.add({p.id, 1, year_, 25.0});
      } else if (!rng_.chance(0.1)) {
        oh.add({p.id, 1, year_, double(rng_.range(0, 3000))});
        if (rng_.chance(0.5)) oh.add({p.id, 2, year_, double(rng_.range(0, 500))});
        if (rng_.chance(0.2)) oh.add({p.id, 1, year_, double(-rng_.range(0, 50))});  // an adjustment row
      }
      oh.add({p.id, 1, year_ - 1, double(rng_.range(0, 2000) + (i == 1 ? 100 : 0))});
      products_ << p;
      if (productCount_ >= 10000 && (i + 1) % 10000 == 0) progress(QStringLiteral("products: %1/%2").arg(i + 1).arg(productCount_));
    }
    pr.flush();
    un.flush();
    oh.flush();
    progress(QStringLiteral("products: %1").arg(productCount_));
  }

  // ---- Sales orders ----
  struct OrderFlags {
    QString approved = QStringLiteral("Y");
    QString delFlag = QStringLiteral("N");
    QString clear = QStringLiteral("N");
    QVariant merchandising;
    bool web = false;
    QString consoNo;
  };

  void openOrderInserts() {
    if (soHd_) return;
    soHd_.reset(new BulkInsert(c_, QStringLiteral("SoHd"),
                               {"Id", "SoNo", "SoType", "DelFlag", "DelRemark", "Price_IE", "SoDate", "Department", "ShipDate",
                                "Customer", "Salesman", "TaxCode", "TaxRate", "DueDays", "Warehouse", "Transportation", "Reference",
                                "Remark", "NoTaxAmt", "TaxAmt", "TaxTotal", "TaxCal", "Total", "Clear", "Posted", "Printed",
                                "Imported", "Approved", "MerchandisingSystems", "ConsoNo", "ConsoDate"}));
    soDt_.reset(new BulkInsert(c_, QStringLiteral("SoDt"),
                               {"Id", "SoHd", "SoRecNo", "SoDate", "ShipDate", "Warehouse", "TaxCode", "TaxRate", "Product",
                                "ProductUnits", "Fraction", "Quantity", "Send", "BackOrder", "Price", "Total", "ProductAmount",
                                "Clear", "WebOrderId"}));
  }

  // A document's amounts from the sum of its lines at VAT 7%: the sum is before VAT, or for a
  // customer whose prices include VAT it is the total and the amount before VAT is taken out of it.
  struct Amounts {
    QString priceIE;
    double noTax;
    double tax;
    double total;
  };
  static Amounts amounts(const Customer& cu, double sum) {
    if (cu.vatIncluded) {
      const double noTax = money(sum * 100.0 / 107.0);
      return {QStringLiteral("I"), noTax, money(sum - noTax), sum};
    }
    const double tax = money(sum * 0.07);
    return {QStringLiteral("E"), sum, tax, money(sum + tax)};
  }

  // Adds an order; the ids of its lines are appended to lineIds when given.
  qint64 addOrder(const Customer& cu, const QDate& soDate, const QDate& shipDate, const QVector<Line>& lines, const OrderFlags& f,
                  QVector<qint64>* lineIds = nullptr) {
    openOrderInserts();
    const qint64 hd = ++soHdId_;
    double amount = 0;
    int rec = 0;
    for (const Line& l : lines) {
      const Product& p = products_[l.product];
      const Unit& u = p.units[l.unit];
      const double total = money(l.qty * u.price);
      amount += total;
      const qint64 dt = ++soDtId_;
      if (lineIds) *lineIds << dt;
      soDt_->add({dt, hd, ++rec, soDate, shipDate, 1, 1, 7.0, p.id, u.id, u.fraction, l.qty, l.send, (l.qty - l.send) * u.fraction,
                  u.price, total, total, f.clear, f.web ? QVariant(++webOrderId_) : QVariant()});
      ++linesMade_;
    }
    const Amounts a = amounts(cu, amount);
    soHd_->add({hd, next(QStringLiteral("SO-A"), soDate.year()), QStringLiteral("A"), f.delFlag,
                f.delFlag == QLatin1String("Y") ? QVariant(QStringLiteral("ลูกค้ายกเลิกการสั่งซื้อ")) : QVariant(), a.priceIE,
                soDate, cu.department, shipDate, cu.id, cu.salesman, 1, 7.0, cu.dueDays, 1, 1,
                f.web ? QVariant(QStringLiteral("W%1").arg(100000 + hd)) : QVariant(),
                f.web ? QVariant(QString(QStringLiteral("Web Order ") + soDate.toString(QStringLiteral("yyyyMMdd")))) : QVariant(), a.noTax,
                a.tax, a.noTax, a.noTax, a.total, f.clear, no(), no(), f.web ? yes() : no(), f.approved, f.merchandising,
                f.consoNo.isEmpty() ? QVariant() : QVariant(f.consoNo),
                f.consoNo.isEmpty() ? QVariant() : QVariant(QDateTime(shipDate, QTime(9, 0))), });
    if (lineTarget_ >= 20000 && linesMade_ / 50000 != reported_) {
      reported_ = int(linesMade_ / 50000);
      progress(QStringLiteral("sales-order lines: %1/%2").arg(linesMade_).arg(lineTarget_));
    }
    return hd;
  }

  int firstOpenCustomerOfZone(int z) const {
    for (int i = z; i < customers_.size(); i += zoneCount_)
      if (customers_[i].blocked == QLatin1String("N")) return i;
    return z;
  }

  int randomUnit(const Product& p) {
    const int r = rng_.range(0, 9);
    if (r < 6) return 1;
    if (r < 9 || p.units.size() < 3) return 0;
    return 2;
  }

  void salesOrders() {
    // Fixed orders of C00001 (zone Z01): due today, unapproved, and not yet due.
    const Customer& c1 = customers_[0];
    addOrder(c1, today_.addDays(-2), today_, {{0, 1, 5, 0}, {1, 0, 10, 0}, {2, 1, 5, 0}}, {}, &fixedLines_);
    OrderFlags unapproved;
    unapproved.approved = no();
    addOrder(c1, today_.addDays(-1), today_, {{3, 1, 2, 0}}, unapproved);
    addOrder(c1, today_, today_.addDays(3), {{4, 1, 3, 0}}, {});
    // Every other zone: an approved order due yesterday with three lines.
    for (int z = 1; z < zoneCount_; ++z) {
      QVector<qint64> ids;
      const int ci = firstOpenCustomerOfZone(z);
      addOrder(customers_[ci], today_.addDays(-3), today_.addDays(-1), {{5 + z % 20, 1, 4, 0}, {6 + z % 20, 0, 12, 0}, {7 + z % 20, 1, 2, 0}},
               {}, &ids);
      zoneLines_.insert(z, ids);
    }
    // An order of C00003 (zone Z03) delivered a week ago by the finished consolidation.
    OrderFlags delivered;
    delivered.clear = yes();
    deliveredOrder_ = addOrder(customers_[2], today_.addDays(-10), today_.addDays(-7), {{8, 1, 3, 3}, {9, 0, 24, 24}}, delivered,
                               &deliveredLines_);

    QHash<int, QString> zoneConso;  // cleared orders of a zone share one consolidation number
    while (linesMade_ < lineTarget_) {
      const Customer& cu = customers_[rng_.range(0, customerCount_ - 1)];
      const QDate soDate = today_.addDays(-rng_.range(0, 14));
      const QDate shipDate = soDate.addDays(rng_.range(0, 10));
      OrderFlags f;
      if (rng_.chance(0.12)) f.approved = no();
      if (rng_.chance(0.03)) f.delFlag = yes();
      const int ms = rng_.range(0, 99);
      f.merchandising = ms < 80 ? QVariant() : ms < 96 ? QVariant(yes()) : QVariant(no());
      f.web = rng_.chance(0.03);
      if (rng_.chance(0.05)) {
        f.clear = yes();
        QString& cn = zoneConso[cu.zone];
        if (cn.isEmpty()) cn = next(QStringLiteral("CONSOLIDAT"), year_);
        f.consoNo = cn;
      }
      const int n = std::min(rng_.range(1, 9), int(lineTarget_ - linesMade_));
      QVector<Line> lines;
      QSet<int> used;
      for (int k = 0; k < n; ++k) {
        int prod = rng_.range(0, productCount_ - 1);
        for (int t = 0; t < 5 && used.contains(prod); ++t) prod = rng_.range(0, productCount_ - 1);
        used.insert(prod);
        const Product& p = products_[prod];
        const int unit = randomUnit(p);
        const double qty = unit == 0 ? rng_.range(1, 48) : unit == 1 ? rng_.range(1, 10) : rng_.range(1, 12);
        const int s = rng_.range(0, 19);
        const double send = s < 17 ? 0 : s < 19 ? std::floor(qty / 2) : qty;
        lines << Line{prod, unit, qty, send};
      }
      addOrder(cu, soDate, shipDate, lines, f);
    }
    soHd_->flush();
    soDt_->flush();
    progress(QStringLiteral("sales orders: %1, lines: %2").arg(soHdId_).arg(linesMade_));
  }

  // ---- Invoices ----
  void openInvoiceInserts() {
    if (ivHd_) return;
    ivHd_.reset(new BulkInsert(c_, QStringLiteral("IvHd"),
                               {"Id", "IvNo", "IvType", "IvDate", "DueDate", "Customer", "Salesman", "Department", "TaxCode", "TaxRate",
                                "Warehouse", "Price_IE", "Reference", "Remark", "NoTaxAmt", "TaxAmt", "TaxTotal", "Total",
                                "RcptAmount", "DelFlag", "DelRemark", "Clear", "Posted", "Printed", "Imported", "BoxNoId"}));
    ivDt_.reset(new BulkInsert(c_, QStringLiteral("IvDt"),
                               {"Id", "IvHd", "IvRecNo", "Product", "ProductUnits", "Fraction", "Quantity", "Price", "Total",
                                "Warehouse", "SoHd", "SoDt", "ProductUnitsPrice"}));
  }

  struct Invoice {
    qint64 id;
    QString no;
    double total;
    QVector<qint64> lineIds;
  };

  // paid: the share of the total received (1 = cleared).
  Invoice addInvoice(const Customer& cu, const QDate& date, const QVector<Line>& lines, double paid, bool deleted,
                     const QString& reference = QString(), qint64 boxId = 0, qint64 soHd = 0, const QVector<qint64>& soDts = {}) {
    openInvoiceInserts();
    Invoice iv;
    iv.id = ++ivHdId_;
    iv.no = next(QStringLiteral("IV-A"), date.year());
    double amount = 0;
    int rec = 0;
    for (int k = 0; k < lines.size(); ++k) {
      const Line& l = lines[k];
      const Product& p = products_[l.product];
      const Unit& u = p.units[l.unit];
      const double total = money(l.qty * u.price);
      amount += total;
      const qint64 dt = ++ivDtId_;
      iv.lineIds << dt;
      ivDt_->add({dt, iv.id, ++rec, p.id, u.id, u.fraction, l.qty, u.price, total, 1, soHd ? QVariant(soHd) : QVariant(),
                  k < soDts.size() ? QVariant(soDts[k]) : QVariant(), boxId ? QVariant(u.id) : QVariant()});
    }
    const Amounts a = amounts(cu, amount);
    iv.total = a.total;
    const double rcpt = paid >= 1 ? iv.total : money(iv.total * paid);
    ivHd_->add({iv.id, iv.no, QStringLiteral("A"), date, date.addDays(cu.dueDays), cu.id, cu.salesman, cu.department, 1, 7.0, 1,
                a.priceIE, reference.isEmpty() ? QVariant() : QVariant(reference), QVariant(), a.noTax, a.tax, a.noTax, iv.total,
                rcpt, deleted ? yes() : no(), deleted ? QVariant(QStringLiteral("ออกใบกำกับผิด")) : QVariant(),
                paid >= 1 ? yes() : no(), no(), yes(), no(), boxId ? QVariant(boxId) : QVariant()});
    return iv;
  }

  QVector<Line> randomLines(int n) {
    QVector<Line> lines;
    for (int k = 0; k < n; ++k) {
      const int prod = rng_.range(0, productCount_ - 1);
      lines << Line{prod, randomUnit(products_[prod]), double(rng_.range(1, 10)), 0};
    }
    return lines;
  }

  void invoices() {
    // C00001: one open, one partly paid, one cleared invoice.
    const Customer& c1 = customers_[0];
    fixedInvoices_ << addInvoice(c1, today_.addDays(-20), {{0, 1, 2, 0}, {2, 0, 6, 0}}, 0, false);
    fixedInvoices_ << addInvoice(c1, today_.addDays(-15), {{1, 1, 1, 0}}, 0.5, false);
    fixedInvoices_ << addInvoice(c1, today_.addDays(-40), {{3, 1, 3, 0}}, 1, false);
    // Every other zone: an open invoice.
    for (int z = 1; z < zoneCount_; ++z) addInvoice(customers_[firstOpenCustomerOfZone(z)], today_.addDays(-z % 20 - 1), randomLines(2), 0, false);
    const int rest = invoiceCount_ - 3 - (zoneCount_ - 1);
    for (int i = 0; i < rest; ++i) {
      const Customer& cu = customers_[rng_.range(0, customerCount_ - 1)];
      const int r = rng_.range(0, 9);
      const double paid = r < 6 ? 0 : r < 8 ? 0.3 : 1;
      addInvoice(cu, today_.addDays(-rng_.range(1, 90)), randomLines(rng_.range(1, 5)), paid, rng_.chance(0.03));
    }
  }

  // ---- Documents of the consolidation windows ----
  void consolidations() {
    BulkInsert hd(c_, QStringLiteral("ConsolidateHd"),
                  {"Id", "DocNo", "DocDate", "SendDate", "CustomerZone", "Carman", "LicensePlate", "Porter1", "Porter2", "Porter3",
                   "Remark", "Confirm", "Delflag", "Printed"});
    BulkInsert dt(c_, QStringLiteral("ConsolidateDt"),
                  {"ConsolidateHd", "ToConso", "SoHd", "SoDt", "Customer", "Product", "ProductUnits", "OrderSoQnty", "Onhand",
                   "OrderQnty", "SendQnty", "IvNo", "IvHd", "IvDt"});
    auto soLine = [&](qint64 soDt) {
      return c_.select(QStringLiteral("Select D.SoHd, H.Customer, D.Product, D.ProductUnits, D.Quantity, D.BackOrder / D.Fraction Q "
                                      "From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where D.Id = ") +
                       QString::number(soDt));
    };
    // 1: open consolidation of Z02 (holds the first due line of the zone); 2: finished, Z03;
    // 3: deleted, Z04 (its line is offered again).
    struct Doc {
      int zone;
      QString confirm, del;
      QDate date;
    };
    const Doc docs[] = {{1, no(), no(), today_}, {2, yes(), no(), today_.addDays(-8)}, {3, no(), yes(), today_.addDays(-1)}};
    for (int k = 0; k < 3; ++k) {
      const Doc& d = docs[k];
      if (d.zone >= zoneCount_) continue;
      hd.add({k + 1, consoNos_[k], d.date, d.zone == 2 ? d.date.addDays(1) : d.date, zoneIds_[d.zone], QStringLiteral("สมปอง ขับดี"),
              QStringLiteral("1กข-%1").arg(1234 + k), QStringLiteral("มานะ ขยัน"), QString(), QString(), QString(), d.confirm, d.del, no()});
      if (d.zone == 2) {
        // Finished: its lines were invoiced.
        QVector<Line> lines{{8, 1, 3, 0}, {9, 0, 24, 0}};
        const Invoice iv = addInvoice(customers_[2], d.date.addDays(1), lines, 0, false, consoNos_[k], 0, deliveredOrder_, deliveredLines_);
        for (int i = 0; i < deliveredLines_.size(); ++i) {
          const db::Result r = soLine(deliveredLines_[i]);
          dt.add({k + 1, yes(), r.value(QStringLiteral("SoHd")), deliveredLines_[i], r.value(QStringLiteral("Customer")),
                  r.value(QStringLiteral("Product")), r.value(QStringLiteral("ProductUnits")), r.value(QStringLiteral("Quantity")), 0.0,
                  r.value(QStringLiteral("Quantity")), r.value(QStringLiteral("Quantity")), iv.no, iv.id, iv.lineIds[i]});
        }
      } else {
        const qint64 line = zoneLines_.value(d.zone).value(0);
        const db::Result r = soLine(line);
        dt.add({k + 1, yes(), r.value(QStringLiteral("SoHd")), line, r.value(QStringLiteral("Customer")), r.value(QStringLiteral("Product")),
                r.value(QStringLiteral("ProductUnits")), r.value(QStringLiteral("Q")), 0.0, r.value(QStringLiteral("Q")),
                r.value(QStringLiteral("Q")), QString(), 0, 0});
      }
    }
    ivHd_->flush();
    ivDt_->flush();
    hd.flush();
    dt.flush();
  }

  void moneyBill() {
    BulkInsert mb(c_, QStringLiteral("MoneyBill"),
                  {"Docno", "DocDate", "CustomerZone", "Responsible", "Delflag", "Remark", "BillDocType", "BillDocId", "DocAmount",
                   "BalanceAmount", "CreateDate"});
    const QString no1 = next(QStringLiteral("MONEYBILL"), year_);
    for (int k = 0; k < 2; ++k) {
      const Invoice& iv = fixedInvoices_[k];
      const double balance = k == 0 ? iv.total : money(iv.total - money(iv.total * 0.5));
      mb.add({no1, today_.addDays(-1), zoneIds_[0], QStringLiteral("สมชาย ใจดี"), no(), QStringLiteral("เก็บเงินรอบเช้า"),
              QStringLiteral("I"), iv.id, iv.total, balance, QDateTime(today_.addDays(-1), QTime(16, 30))});
    }
    mb.flush();
  }

  // ---- Boxes ----
  void boxes() {
    BulkInsert bx(c_, QStringLiteral("BoxNo"), {"Id", "Delflag", "BarCode", "Customer", "SendDate", "IvNo", "TrNo", "CreateDate"});
    BulkInsert bl(c_, QStringLiteral("BoxNoProductUnits"), {"BoxNo", "ProductUnits", "Quantity", "ProductUnitsPrice", "LastUpdate"});
    const QDateTime created(today_.addDays(-3), QTime(8, 0));
    for (int i = 1; i <= boxCount_; ++i) bx.add({i, no(), code("BOX", i, 6), QVariant(), QVariant(), QVariant(), QVariant(), created});
    const qint64 packed = boxCount_ + 1, consigned = boxCount_ + 2, cancelled = boxCount_ + 3;
    const QDateTime packedAt(today_.addDays(-1), QTime(10, 15));
    // BOX900001: packed for C00001 and invoiced.
    const Invoice iv = addInvoice(customers_[0], today_.addDays(-1), {{0, 0, 2, 0}, {2, 0, 1, 0}}, 0, false, QStringLiteral("BOX900001"), packed);
    ivHd_->flush();
    ivDt_->flush();
    bx.add({packed, no(), QStringLiteral("BOX900001"), customers_[0].id, today_.addDays(-1), iv.no, QVariant(), created});
    for (const auto& [prod, n] : {std::pair{0, 2}, std::pair{2, 1}})
      for (int k = 0; k < n; ++k)
        bl.add({packed, products_[prod].units[0].id, 1, products_[prod].units[0].id, packedAt});
    // BOX900002: packed for the consignment customer C00003 and transferred to its warehouse.
    const Customer& cons = customers_[2];
    const QString trNo = next(QStringLiteral("STOCKTRFCONV2"), today_.addDays(-1).year());
    bx.add({consigned, no(), QStringLiteral("BOX900002"), cons.id, today_.addDays(-1), QVariant(), trNo, created});
    BulkInsert th(c_, QStringLiteral("TransferHd"),
                  {"Id", "TrNo", "TrDate", "FromWarehouse", "ToWarehouse", "Customer", "BoxNoId", "Remark", "Total", "DelFlag",
                   "Approved", "Posted", "Printed"});
    BulkInsert td(c_, QStringLiteral("TransferDt"),
                  {"TransferHd", "TrRecNo", "Product", "ProductUnits", "Fraction", "Quantity", "ProductUnitsPrice", "Price", "Total"});
    double trTotal = 0;
    for (int k = 0; k < 2; ++k) {
      const Unit& u = products_[k + 4].units[0];
      const Unit& price = products_[k + 4].units[0];
      bl.add({consigned, u.id, 1, price.id, packedAt});
      td.add({1, k + 1, products_[k + 4].id, u.id, 1, 1.0, price.id, price.price, price.price});
      trTotal += price.price;
    }
    th.add({1, trNo, today_.addDays(-1), 1, cons.warehouse, cons.id, consigned, QStringLiteral("BOX900002"), trTotal, no(), yes(), no(), no()});
    // BOX900003: a cancelled box.
    bx.add({cancelled, yes(), QStringLiteral("BOX900003"), QVariant(), QVariant(), QVariant(), QVariant(), created});
    bx.flush();
    bl.flush();
    th.flush();
    td.flush();
  }

  void flushAll() {
    if (ivHd_) {
      ivHd_->flush();
      ivDt_->flush();
    }
    progress(QStringLiteral("invoices: %1").arg(ivHdId_));
  }

  db::Connection& c_;
  const SiteOptions& o_;
  Rng rng_;
  int n_;
  QDate today_;
  int year_;
  int zoneCount_, activeSalesmen_, customerCount_, productCount_, lineTarget_, invoiceCount_, boxCount_;
  QVector<qint64> zoneIds_, provinceIds_, departmentIds_, salesmanIds_, salesmanDept_;
  QVector<Customer> customers_;
  QVector<Product> products_;
  QHash<QString, Counter> counters_;
  QStringList consoNos_;
  std::unique_ptr<BulkInsert> soHd_, soDt_, ivHd_, ivDt_;
  qint64 soHdId_ = 0, soDtId_ = 0, ivHdId_ = 0, ivDtId_ = 0, webOrderId_ = 500000;
  qint64 linesMade_ = 0;
  int reported_ = 0;
  QVector<qint64> fixedLines_, deliveredLines_;
  qint64 deliveredOrder_ = 0;
  QHash<int, QVector<qint64>> zoneLines_;
  QVector<Invoice> fixedInvoices_;
};

}  // namespace

void generateDemoData(db::Connection& company, const SiteOptions& options) {
  SiteOptions o = options;
  if (!o.now.isValid()) o.now = serverNow();
  Demo(company, o).run();
}

}  // namespace embedded
