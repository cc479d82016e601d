#include "generator/release_generator.h"

#include "loading/loaders.h"
#include "loading/release_records.h"
#include "platform/files/folders.h"
#include "platform/files/win1252.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QVector>

#include <algorithm>
#include <vector>

namespace generator {

using namespace loading;

namespace {

// splitmix64: the same numbers on every machine and library, unlike the standard distributions.
class Random {
public:
    explicit Random(quint64 seed) : s_(seed) {}
    quint64 next() {
        quint64 z = (s_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[size_t(below(int(v.size())))]; }

private:
    quint64 s_;
};

quint64 mixSeed(quint64 seed, const QString& state) {
    quint64 h = seed * 0x100000001B3ULL;
    for (QChar c : state)
        h = (h ^ c.unicode()) * 0x100000001B3ULL;
    return h;
}

QByteArray digits(long long value, int width) {
    return QByteArray::number(value).rightJustified(width, '0', true);
}

struct City {
    const char* name;
    int zip3;
    int county; // index into the state's county list
};

struct StateData {
    QByteArray addressState;
    std::vector<QByteArray> areaCodes;
    std::vector<QByteArray> counties;
    std::vector<City> cities;
};

StateData stateData(const QString& state) {
    if (state == QLatin1String("DE") || state == QLatin1String("DM"))
        return {"DE",
                {"302"},
                {"KENT", "NEW CASTLE", "SUSSEX"},
                {{"WILMINGTON", 198, 1},
                 {"NEWARK", 197, 1},
                 {"DOVER", 199, 0},
                 {"MIDDLETOWN", 197, 1},
                 {"SMYRNA", 199, 0},
                 {"MILFORD", 199, 0},
                 {"SEAFORD", 199, 2},
                 {"GEORGETOWN", 199, 2},
                 {"LEWES", 199, 2},
                 {"NEW CASTLE", 197, 1}}};
    if (state == QLatin1String("NJ"))
        return {"NJ",
                {"201", "609", "732", "856", "908", "973"},
                {"ATLANTIC",   "BERGEN",  "BURLINGTON", "CAMDEN",   "CAPE MAY",  "CUMBERLAND", "ESSEX",
                 "GLOUCESTER", "HUDSON",  "HUNTERDON",  "MERCER",   "MIDDLESEX", "MONMOUTH",   "MORRIS",
                 "OCEAN",      "PASSAIC", "SALEM",      "SOMERSET", "SUSSEX",    "UNION",      "WARREN"},
                {{"NEWARK", 71, 6},
                 {"JERSEY CITY", 73, 8},
                 {"PATERSON", 75, 15},
                 {"ELIZABETH", 72, 19},
                 {"TRENTON", 86, 10},
                 {"CAMDEN", 81, 3},
                 {"EDISON", 88, 11},
                 {"TOMS RIVER", 87, 14},
                 {"HACKENSACK", 76, 1},
                 {"MORRISTOWN", 79, 13},
                 {"ATLANTIC CITY", 84, 0},
                 {"VINELAND", 83, 5},
                 {"FREEHOLD", 77, 12},
                 {"SOMERVILLE", 88, 17},
                 {"FLEMINGTON", 88, 9}}};
    if (state == QLatin1String("NY"))
        return {"NY",
                {"212", "315", "516", "518", "607", "716", "718", "845", "914"},
                {"ALBANY",   "BRONX",    "BROOME",   "ERIE",        "KINGS",   "MONROE",     "NASSAU",
                 "NEW YORK", "NIAGARA",  "ONEIDA",   "ONONDAGA",    "ORANGE",  "QUEENS",     "RENSSELAER",
                 "RICHMOND", "ROCKLAND", "SARATOGA", "SCHENECTADY", "SUFFOLK", "WESTCHESTER"},
                {{"NEW YORK", 100, 7},      {"BROOKLYN", 112, 4},       {"BRONX", 104, 1},
                 {"JAMAICA", 114, 12},      {"STATEN ISLAND", 103, 14}, {"BUFFALO", 142, 3},
                 {"ROCHESTER", 146, 5},     {"SYRACUSE", 132, 10},      {"ALBANY", 122, 0},
                 {"UTICA", 135, 9},         {"BINGHAMTON", 139, 2},     {"WHITE PLAINS", 106, 19},
                 {"YONKERS", 107, 19},      {"HEMPSTEAD", 115, 6},      {"HAUPPAUGE", 117, 18},
                 {"NEWBURGH", 125, 11},     {"TROY", 121, 13},          {"SCHENECTADY", 123, 17},
                 {"NIAGARA FALLS", 143, 8}, {"NEW CITY", 109, 15}}};
    return {"PA",
            {"215", "267", "412", "570", "610", "717", "724", "814"},
            {"ADAMS",       "ALLEGHENY",    "BEAVER",     "BERKS",        "BLAIR",   "BUCKS",    "BUTLER",
             "CAMBRIA",     "CENTRE",       "CHESTER",    "CUMBERLAND",   "DAUPHIN", "DELAWARE", "ERIE",
             "FAYETTE",     "LACKAWANNA",   "LANCASTER",  "LEHIGH",       "LUZERNE", "LYCOMING", "MONTGOMERY",
             "NORTHAMPTON", "PHILADELPHIA", "WASHINGTON", "WESTMORELAND", "YORK"},
            {{"PHILADELPHIA", 191, 22}, {"PITTSBURGH", 152, 1},    {"ALLENTOWN", 181, 17},
             {"ERIE", 165, 13},         {"READING", 196, 3},       {"SCRANTON", 185, 15},
             {"BETHLEHEM", 180, 21},    {"LANCASTER", 176, 16},    {"HARRISBURG", 171, 11},
             {"YORK", 174, 25},         {"WILKES-BARRE", 187, 18}, {"ALTOONA", 166, 4},
             {"STATE COLLEGE", 168, 8}, {"NORRISTOWN", 194, 20},   {"WEST CHESTER", 193, 9},
             {"DOYLESTOWN", 189, 5},    {"MEDIA", 190, 12},        {"GREENSBURG", 156, 24},
             {"WASHINGTON", 153, 23},   {"JOHNSTOWN", 159, 7},     {"BUTLER", 160, 6},
             {"GETTYSBURG", 173, 0},    {"CARLISLE", 170, 10},     {"WILLIAMSPORT", 177, 19},
             {"UNIONTOWN", 154, 14},    {"BEAVER", 150, 2}}};
}

QByteArray countyCode(int index) {
    return digits(2 * index + 1, 3);
}

struct Coded {
    const char* code;
    const char* desc;
};

const std::vector<Coded>& sicCodes() {
    static const std::vector<Coded> v{
        {"15", "BUILDING CONSTRUCTION-GENERAL CONTRACTORS"},
        {"1521", "GENERAL CONTRACTORS-SINGLE-FAMILY HOUSES"},
        {"1542", "GENERAL CONTRACTORS-NONRESIDENTIAL BLDGS"},
        {"1611", "HIGHWAY AND STREET CONSTRUCTION"},
        {"1711", "PLUMBING, HEATING AND AIR-CONDITIONING"},
        {"1731", "ELECTRICAL WORK"},
        {"1751", "CARPENTRY WORK"},
        {"1761", "ROOFING, SIDING AND SHEET METAL WORK"},
        {"17", "CONSTRUCTION-SPECIAL TRADE CONTRACTORS"},
        {"2011", "MEAT PACKING PLANTS"},
        {"2051", "BREAD AND OTHER BAKERY PRODUCTS"},
        {"2421", "SAWMILLS AND PLANING MILLS, GENERAL"},
        {"2511", "WOOD HOUSEHOLD FURNITURE"},
        {"2711", "NEWSPAPERS: PUBLISHING OR PRINTING"},
        {"2752", "COMMERCIAL PRINTING, LITHOGRAPHIC"},
        {"2834", "PHARMACEUTICAL PREPARATIONS"},
        {"3089", "PLASTICS PRODUCTS, NEC"},
        {"3312", "STEEL WORKS AND BLAST FURNACES"},
        {"3441", "FABRICATED STRUCTURAL METAL"},
        {"3599", "INDUSTRIAL MACHINERY, NEC"},
        {"3679", "ELECTRONIC COMPONENTS, NEC"},
        {"4212", "LOCAL TRUCKING, WITHOUT STORAGE"},
        {"4213", "TRUCKING, EXCEPT LOCAL"},
        {"4225", "GENERAL WAREHOUSING AND STORAGE"},
        {"4911", "ELECTRIC SERVICES"},
        {"5031", "LUMBER, PLYWOOD AND MILLWORK"},
        {"5047", "MEDICAL AND HOSPITAL EQUIPMENT"},
        {"5141", "GROCERIES, GENERAL LINE"},
        {"5211", "LUMBER AND OTHER BUILDING MATERIALS"},
        {"5411", "GROCERY STORES"},
        {"5531", "AUTO AND HOME SUPPLY STORES"},
        {"5812", "EATING PLACES"},
        {"5813", "DRINKING PLACES"},
        {"5912", "DRUG STORES AND PROPRIETARY STORES"},
        {"6512", "NONRESIDENTIAL BUILDING OPERATORS"},
        {"7011", "HOTELS AND MOTELS"},
        {"7349", "BUILDING MAINTENANCE SERVICES, NEC"},
        {"7363", "HELP SUPPLY SERVICES"},
        {"7538", "GENERAL AUTOMOTIVE REPAIR SHOPS"},
        {"8051", "SKILLED NURSING CARE FACILITIES"},
        {"8062", "GENERAL MEDICAL AND SURGICAL HOSPITALS"},
        {"8211", "ELEMENTARY AND SECONDARY SCHOOLS"},
        {"8322", "INDIVIDUAL AND FAMILY SERVICES"},
        {"8711", "ENGINEERING SERVICES"},
    };
    return v;
}

const std::vector<Coded>& classCodes() {
    static const std::vector<Coded> v{
        {"0042", "LANDSCAPE GARDENING"},
        {"2003", "BAKERY"},
        {"2081", "BUTCHERING"},
        {"2710", "SAW MILL"},
        {"2883", "FURNITURE MFG.-WOOD"},
        {"3632", "MACHINE SHOP NOC"},
        {"3808", "AUTOMOBILE MFG. OR ASSEMBLY"},
        {"4299", "PRINTING"},
        {"5183", "PLUMBING NOC & DRIVERS"},
        {"5190", "ELECTRICAL WIRING-WITHIN BUILDINGS & DRIVERS"},
        {"5403", "CARPENTRY NOC"},
        {"5445", "WALLBOARD, SHEETROCK, DRYWALL INSTALLATION"},
        {"5551", "ROOFING-ALL KINDS & DRIVERS"},
        {"5606", "CONTRACTOR-EXECUTIVE SUPERVISOR"},
        {"5645", "CARPENTRY-DETACHED ONE OR TWO FAMILY DWELLINGS"},
        {"7219", "TRUCKING NOC-ALL EMPLOYEES & DRIVERS"},
        {"7380", "DRIVERS, CHAUFFEURS AND THEIR HELPERS NOC"},
        {"8017", "STORE: RETAIL NOC"},
        {"8018", "STORE: WHOLESALE NOC"},
        {"8033", "STORE: MEAT, GROCERY AND PROVISION-RETAIL"},
        {"8292", "WAREHOUSE NOC"},
        {"8380", "AUTOMOBILE SERVICE OR REPAIR CENTER & DRIVERS"},
        {"8742", "SALESPERSONS OR COLLECTORS-OUTSIDE"},
        {"8810", "CLERICAL OFFICE EMPLOYEES NOC"},
        {"8832", "PHYSICIAN & CLERICAL"},
        {"8833", "HOSPITAL: PROFESSIONAL EMPLOYEES"},
        {"8835", "HOME, PUBLIC & TRAVELING HEALTHCARE"},
        {"8868", "COLLEGE: PROFESSIONAL EMPLOYEES & CLERICAL"},
        {"9014", "BUILDINGS-OPERATION BY CONTRACTORS"},
        {"9052", "HOTEL: ALL OTHER EMPLOYEES & SALESPERSONS"},
        {"9058", "HOTEL: RESTAURANT EMPLOYEES"},
        {"9079", "RESTAURANT NOC"},
        {"9101", "COLLEGE: ALL OTHER EMPLOYEES"},
        {"9403", "GARBAGE, ASHES OR REFUSE COLLECTION & DRIVERS"},
    };
    return v;
}

const std::vector<QByteArray> kNameWords{
    "ALLIED",      "AMERICAN",    "ATLAS",       "BAYSIDE",   "BENCHMARK",    "CAPITAL",  "CENTURY",
    "COLONIAL",    "CONTINENTAL", "CORNERSTONE", "CRESTVIEW", "EAGLE",        "EASTERN",  "EMPIRE",
    "FIRST STATE", "FRANKLIN",    "GATEWAY",     "GREATER",   "HARBOR",       "HERITAGE", "HIGHLAND",
    "KEYSTONE",    "LIBERTY",     "MERIDIAN",    "METRO",     "MID-ATLANTIC", "NATIONAL", "NORTHEAST",
    "PATRIOT",     "PINNACLE",    "PIONEER",     "PREMIER",   "QUALITY",      "REGIONAL", "RIVERSIDE",
    "SUMMIT",      "TRI-COUNTY",  "UNITED",      "VALLEY",    "VICTORY"};
const std::vector<QByteArray> kSurnames{
    "ANDERSON", "BAKER",    "BROWN",    "CAMPBELL", "CARTER",    "CLARK",    "COLLINS", "DAVIS",
    "EVANS",    "FISHER",   "GARCIA",   "GREEN",    "HALL",      "HARRIS",   "JACKSON", "JOHNSON",
    "KELLY",    "KING",     "LEWIS",    "MARTIN",   "MILLER",    "MITCHELL", "MOORE",   "MURPHY",
    "NELSON",   "PARKER",   "PHILLIPS", "ROBERTS",  "RODRIGUEZ", "SCOTT",    "SMITH",   "STEWART",
    "TAYLOR",   "THOMPSON", "TURNER",   "WALKER",   "WHITE",     "WILLIAMS", "WILSON",  "YOUNG"};
const std::vector<QByteArray> kFirstNames{"JAMES",    "MARY",    "JOHN",    "PATRICIA", "ROBERT",
                                          "JENNIFER", "MICHAEL", "LINDA",   "WILLIAM",  "ELIZABETH",
                                          "DAVID",    "BARBARA", "RICHARD", "SUSAN",    "JOSEPH",
                                          "JESSICA",  "THOMAS",  "SARAH",   "CHARLES",  "KAREN"};
const std::vector<QByteArray> kTrades{
    "BUILDERS",        "CONSTRUCTION",   "CONTRACTORS",   "ELECTRIC",      "PLUMBING & HEATING",
    "ROOFING",         "TRUCKING",       "MANUFACTURING", "MACHINE WORKS", "PRINTING",
    "FOODS",           "BAKERY",         "MARKETS",       "RESTAURANTS",   "HOSPITALITY",
    "HEALTH SERVICES", "NURSING CENTER", "STAFFING",      "AUTO REPAIR",   "LANDSCAPING",
    "WAREHOUSING",     "SUPPLY",         "DISTRIBUTORS",  "STEEL",         "PLASTICS",
    "ENGINEERING",     "MAINTENANCE"};
const std::vector<QByteArray> kSuffixes{"INC", "INC.", "CORP", "CO", "LLC", "LTD", "COMPANY", "& SONS INC"};
const std::vector<QByteArray> kStreets{
    "MAIN",      "MARKET", "CHURCH", "HIGH",   "PARK",     "WASHINGTON", "LINCOLN",    "OAK",      "MAPLE",
    "CEDAR",     "ELM",    "RIVER",  "LAKE",   "HILL",     "RIDGE",      "INDUSTRIAL", "COMMERCE", "FRANKLIN",
    "JEFFERSON", "BROAD",  "STATE",  "WALNUT", "CHESTNUT", "SPRING",     "CENTER"};
const std::vector<QByteArray> kStreetKinds{"ST", "AVE", "RD", "BLVD", "DR", "PIKE", "LN", "WAY", "HWY"};
const std::vector<QByteArray> kTitles{"PRESIDENT",      "OWNER",        "VICE PRESIDENT", "CONTROLLER",
                                      "OFFICE MANAGER", "RISK MANAGER", "TREASURER",      "GENERAL MANAGER",
                                      "HR DIRECTOR",    "CFO"};

// File writer that keeps the first error.
class ReleaseFile {
public:
    ReleaseFile(const QString& folder, const QString& name, GeneratedRelease* result)
        : file_(files::joinPath(folder, name)) {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) error_ = file_.errorString();
        if (result) result->files << name;
    }
    void write(const QByteArray& rec) {
        if (error_.isEmpty() && file_.write(rec) != rec.size()) error_ = file_.errorString();
    }
    bool finish(bool ctrlZ, QString* error) {
        if (ctrlZ) write(QByteArray(1, '\x1a'));
        file_.close();
        if (error_.isEmpty() && file_.error() != QFileDevice::NoError) error_ = file_.errorString();
        if (!error_.isEmpty() && error) *error = QStringLiteral("%1: %2").arg(file_.fileName(), error_);
        return error_.isEmpty();
    }

private:
    QFile file_;
    QString error_;
};

QByteArray blankRecord(int length) {
    return RecordBuilder(length).bytes();
}

struct Employer {
    QByteArray file;     // std: 7 digits; NY: 7 digits written as groups 3/2/2
    QByteArray sequence; // 2 digits
};

QByteArray yymmdd(const QDate& d) {
    return digits(d.year() % 100, 2) + digits(d.month(), 2) + digits(d.day(), 2);
}
QByteArray mmddyy(const QDate& d) {
    return digits(d.month(), 2) + digits(d.day(), 2) + digits(d.year() % 100, 2);
}

class Generator {
public:
    Generator(const GeneratorOptions& o, const QString& folder, GeneratedRelease* result)
        : o_(o), folder_(folder), result_(result), rnd_(mixSeed(o.seed, o.state)), data_(stateData(o.state)),
          ny_(o.state == QLatin1String("NY")), nj_(o.state == QLatin1String("NJ")),
          merit_(o.state == QLatin1String("PM") || o.state == QLatin1String("DM")) {}

    bool run(QString* error) {
        makeEmployers();
        return writeSic(error) && writeClassList(error) && writeCounties(error) && writeEmployers(error) &&
               writeClassLines(error) && (!ny_ || writeAddresses(error));
    }

private:
    // A blank record now and then when asked for.
    void maybeBlank(ReleaseFile& f, int length, long long index) {
        if (o_.blankRecords && index % 97 == 13) f.write(blankRecord(length));
    }

    void makeEmployers() {
        long long file = 1000000 + rnd_.below(50000);
        while (int(employers_.size()) < o_.employers) {
            file += 1 + rnd_.below(40);
            const int locations = rnd_.chance(8) ? rnd_.between(2, 4) : 1;
            for (int s = 1; s <= locations && int(employers_.size()) < o_.employers; ++s)
                employers_.push_back({digits(file, 7), digits(s, 2)});
        }
    }

    bool writeSic(QString* error) {
        ReleaseFile f(folder_, sicFileName(), result_);
        long long i = 0;
        for (const Coded& c : sicCodes()) {
            maybeBlank(f, kSicRecordLength, i++);
            const QByteArray code(c.code);
            // The code stands with blanks around it: " 1521" or "  15 ".
            const QByteArray field = code.size() == 2 ? "  " + code + " " : " " + code;
            f.write(RecordBuilder(kSicRecordLength).put(1, field, 5).put(9, QByteArray(c.desc), 42).bytes());
            if (o_.duplicates && i % 10 == 3)
                f.write(RecordBuilder(kSicRecordLength)
                            .put(1, field, 5)
                            .put(9, QByteArray("REPEATED CODE"), 42)
                            .bytes());
        }
        return f.finish(o_.ctrlZ, error);
    }

    bool writeClassList(QString* error) {
        ReleaseFile f(folder_, classListFileName(), result_);
        long long i = 0;
        for (const Coded& c : classCodes()) {
            maybeBlank(f, kClassListRecordLength, i++);
            f.write(RecordBuilder(kClassListRecordLength)
                        .put(2, QByteArray(c.code), 4)
                        .put(6, QByteArray(c.desc), 50)
                        .bytes());
            if (o_.duplicates && i % 10 == 3)
                f.write(RecordBuilder(kClassListRecordLength)
                            .put(2, QByteArray(c.code), 4)
                            .put(6, QByteArray("REPEATED CODE"), 50)
                            .bytes());
        }
        return f.finish(o_.ctrlZ, error);
    }

    bool writeCounties(QString* error) {
        ReleaseFile f(folder_, countyFileName(o_.state), result_);
        for (int i = 0; i < int(data_.counties.size()); ++i) {
            maybeBlank(f, kCountyRecordLength, i);
            f.write(RecordBuilder(kCountyRecordLength)
                        .put(2, countyCode(i), 3)
                        .put(5, data_.counties[size_t(i)], 30)
                        .bytes());
            if (o_.duplicates && i == 1)
                f.write(RecordBuilder(kCountyRecordLength)
                            .put(2, countyCode(i), 3)
                            .put(5, QByteArray("REPEATED"), 30)
                            .bytes());
        }
        return f.finish(o_.ctrlZ, error);
    }

    QByteArray companyName(int width) {
        QByteArray name;
        switch (rnd_.below(3)) {
        case 0:
            name = rnd_.pick(kNameWords) + " " + rnd_.pick(kTrades);
            break;
        case 1:
            name = rnd_.pick(kSurnames) + " " + rnd_.pick(kTrades);
            break;
        default:
            name = rnd_.pick(kSurnames) + " & " + rnd_.pick(kSurnames);
            break;
        }
        name += " " + rnd_.pick(kSuffixes);
        return name.left(width);
    }

    QByteArray phone() {
        return rnd_.pick(data_.areaCodes) + "-" + digits(rnd_.between(200, 989), 3) + "-" +
               digits(rnd_.below(10000), 4);
    }

    QByteArray employerRecord(const Employer& e) {
        RecordBuilder r(kEmployerRecordLength);
        r.put(1, o_.state.toLatin1(), 2);
        if (ny_) {
            r.put(3, e.file.mid(0, 3), 3).put(6, e.file.mid(3, 2), 2).put(8, e.file.mid(5, 2), 2);
            r.put(10, e.sequence, 2).put(28, companyName(35), 35);
            r.put(68, street(), 34);
        } else {
            r.put(3, e.file, 7).put(14, e.sequence, 2).put(28, companyName(40), 40);
            if (rnd_.chance(25)) r.put(68, "DBA " + rnd_.pick(kNameWords) + " " + rnd_.pick(kTrades), 38);
            r.put(106, street(), 40);
        }
        const City& city = data_.cities[size_t(rnd_.below(int(data_.cities.size())))];
        r.put(146, QByteArray(city.name), 22).put(168, data_.addressState, 2);
        r.put(170, digits(city.zip3 * 100 + rnd_.below(100), 5), 5);
        const bool unknownCounty = o_.unknownCodes && rnd_.chance(5);
        r.put(175, unknownCounty ? QByteArray("999") : countyCode(city.county), 3);
        r.put(178, phone(), 12);
        r.put(191, QByteArray(rnd_.pick(sicCodes()).code).rightJustified(4, '0'), 4);
        putMods(r);
        if (rnd_.chance(15)) r.put(305, "Y", 1);
        r.put(306, rnd_.pick(kFirstNames) + " " + rnd_.pick(kSurnames), 30);
        r.put(346, digits(rnd_.below(10), 1), 1).put(347, digits(rnd_.below(10), 1), 1);
        if (nj_ && rnd_.chance(30)) {
            r.put(336, digits(rnd_.between(1, 12), 2) + digits(rnd_.between(18, 25), 2), 4);
            r.put(340, digits(rnd_.between(100, 999), 3), 3).put(343, digits(rnd_.between(100, 999), 3), 3);
            r.put(355, rnd_.chance(50) ? QByteArray("CONDITIONAL") : QByteArray("STANDARD"), 14);
            const int premium = rnd_.between(5000, 900000);
            r.put(369, digits(premium, 7), 7).put(376, digits(premium + rnd_.below(50000), 7), 7);
            r.put(383, digits(rnd_.below(premium), 7), 7);
        }
        if (ny_) {
            if (rnd_.chance(10)) r.put(355, "R", 1);
            if (rnd_.chance(20)) r.put(356, "I", 1);
        }
        r.put(401, rnd_.pick(kTitles), 30);
        if (rnd_.chance(60)) r.put(431, digits(rnd_.below(10000), 4), 4);
        if (rnd_.chance(50)) r.put(489, phone(), 12);
        return r.bytes();
    }

    // minNumber 10 keeps the address form's rule (second character not blank) from dropping the line.
    QByteArray street(int minNumber = 1) {
        return QByteArray::number(rnd_.between(minNumber, 9999)) + " " + rnd_.pick(kStreets) + " " +
               rnd_.pick(kStreetKinds);
    }

    // 1 to 5 slots, newest first, one policy year apart.
    void putMods(RecordBuilder& r) {
        const int used = rnd_.between(1, 5);
        QDate effective = QDate(2025, 1, 1).addDays(-rnd_.below(540));
        for (int i = 0; i < used; ++i) {
            const QDate issue = effective.addDays(-rnd_.between(20, 90));
            const QDate expire = effective.addYears(1);
            QByteArray mod;
            if (merit_ && rnd_.chance(20)) {
                static const std::vector<QByteArray> merits{"9884", "9885", "9886", "8888"};
                mod = rnd_.pick(merits);
            } else {
                const int thousandths = rnd_.between(600, 1800);
                mod = ny_ ? digits((thousandths + 5) / 10, 4) : digits(thousandths, 4);
            }
            const QByteArray slot = ny_ ? mmddyy(issue) + yymmdd(effective) + mmddyy(expire) + mod
                                        : yymmdd(issue) + yymmdd(effective) + yymmdd(expire) + mod;
            r.put(195 + 22 * i, slot, 22);
            effective = effective.addYears(-1);
        }
    }

    bool writeEmployers(QString* error) {
        ReleaseFile f(folder_, employerFileName(o_.state), result_);
        long long i = 0;
        for (const Employer& e : employers_) {
            maybeBlank(f, kEmployerRecordLength, i++);
            f.write(employerRecord(e));
            ++countEmployers_;
            if (o_.duplicates && i % 50 == 7) {
                f.write(employerRecord(e)); // the same key again with other data
                ++countEmployers_;
            }
        }
        if (result_) result_->employerRecords = countEmployers_;
        return f.finish(o_.ctrlZ, error);
    }

    QByteArray classLine(const Employer& e, const QByteArray& code) {
        RecordBuilder r(kClassLineRecordLength);
        r.put(2, code, 4);
        const int cents = rnd_.between(10, 4000); // 0.10 to 40.00 per 100 of payroll
        if (ny_) {
            r.put(7, e.file.mid(0, 3), 3).put(10, e.file.mid(3, 2), 2).put(12, e.file.mid(5, 2), 2);
            r.put(14, e.sequence, 2).put(16, digits(cents, 7), 7);
        } else {
            r.put(7, e.file, 7).put(18, digits(cents, 5), 5).put(23, e.sequence, 2);
        }
        return r.bytes();
    }

    bool writeClassLines(QString* error) {
        ReleaseFile f(folder_, classLineFileName(o_.state), result_);
        long long count = 0;
        for (const Employer& e : employers_) {
            const int lines = rnd_.between(1, 5);
            std::vector<int> chosen;
            while (int(chosen.size()) < lines) {
                const int c = rnd_.below(int(classCodes().size()));
                if (std::find(chosen.begin(), chosen.end(), c) == chosen.end()) chosen.push_back(c);
            }
            for (int c : chosen) {
                maybeBlank(f, kClassLineRecordLength, count);
                QByteArray code(classCodes()[size_t(c)].code);
                if (o_.unknownCodes && rnd_.chance(3)) code = "0999";
                const QByteArray line = classLine(e, code);
                f.write(line);
                ++count;
                if (o_.duplicates && count % 40 == 11) {
                    f.write(rnd_.chance(50) ? line : classLine(e, code)); // same key, same or other loss cost
                    ++count;
                }
            }
        }
        if (result_) result_->classLineRecords = count;
        return f.finish(o_.ctrlZ, error);
    }

    QByteArray addressRecord(const Employer& e) {
        RecordBuilder r(kAddressRecordLength);
        // Columns 1-2 carry the state: a record beginning with two blanks would be skipped.
        r.put(1, "NY", 2).put(3, e.file.mid(0, 3), 3).put(6, e.file.mid(3, 2), 2).put(8, e.file.mid(5, 2), 2);
        r.put(10, e.sequence, 2);
        const int lines = rnd_.between(1, 8);
        const City& city = data_.cities[size_t(rnd_.below(int(data_.cities.size())))];
        for (int k = 0; k < lines; ++k) {
            QByteArray line;
            switch (k % 4) {
            case 0:
                line = "ATTN: " + rnd_.pick(kFirstNames) + " " + rnd_.pick(kSurnames);
                break;
            case 1:
                line = street(10);
                break;
            case 2:
                line = "PO BOX " + QByteArray::number(rnd_.between(1, 9999));
                break;
            default:
                line = QByteArray(city.name) + ", NY " + digits(city.zip3 * 100 + rnd_.below(100), 5);
                break;
            }
            r.put(19 + 38 * k, line, 35);
        }
        return r.bytes();
    }

    bool writeAddresses(QString* error) {
        ReleaseFile f(folder_, addressFileName(), result_);
        long long count = 0;
        for (const Employer& e : employers_) {
            if (!rnd_.chance(40)) continue;
            maybeBlank(f, kAddressRecordLength, count);
            f.write(addressRecord(e));
            ++count;
            if (rnd_.chance(5) || (o_.duplicates && count % 30 == 4)) {
                f.write(addressRecord(e)); // more lines for the same location
                ++count;
            }
        }
        if (result_) result_->addressRecords = count;
        return f.finish(o_.ctrlZ, error);
    }

    const GeneratorOptions& o_;
    QString folder_;
    GeneratedRelease* result_;
    Random rnd_;
    StateData data_;
    bool ny_, nj_, merit_;
    std::vector<Employer> employers_;
    long long countEmployers_ = 0;
};

} // namespace

RecordBuilder::RecordBuilder(int length) : rec_(length, ' ') {
    rec_[length - 2] = '\r';
    rec_[length - 1] = '\n';
}

RecordBuilder& RecordBuilder::put(int col, const QByteArray& text, int width) {
    width = std::min(width, int(rec_.size()) - 2 - (col - 1)); // never over the CR LF
    if (col < 1 || width <= 0) return *this;
    const QByteArray field = text.left(width).leftJustified(width, ' ');
    rec_.replace(col - 1, width, field);
    return *this;
}

RecordBuilder& RecordBuilder::put(int col, const QString& text, int width) {
    return put(col, files::toWin1252(text), width);
}

bool generateRelease(const GeneratorOptions& options, const QString& folder, GeneratedRelease* result,
                     QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("Cannot create the folder %1").arg(folder);
        return false;
    }
    if (result) *result = GeneratedRelease();
    Generator g(options, folder, result);
    return g.run(error);
}

} // namespace generator
