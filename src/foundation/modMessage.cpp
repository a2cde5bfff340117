// Catalogue tables (compiled-in resources), language choice and placeholder substitution.
#include "modMessage.h"

#include "AppError.h"
#include "PlatformText.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <optional>

// Outside any namespace, as the resource system requires.
static void InitCatalogueResource() {
    Q_INIT_RESOURCE(catalogue);
}

namespace qv {

namespace {

using Table = QHash<int, QString>;

QString Unescape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar x = text[++i];
        if (x == u't')
            out += u'\t';
        else if (x == u'n')
            out += u'\n';
        else if (x == u'r')
            out += u'\r';
        else
            out += x;
    }
    return out;
}

Table LoadTable(const QString& resource) {
    InitCatalogueResource();
    Table table;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) return table;
    const QString all = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0) continue;
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (ok) table.insert(id, Unescape(line.mid(tab + 1)));
    }
    return table;
}

const Table& TableOf(CatalogueLanguage language) {
    static const Table english = LoadTable(QStringLiteral(":/catalogue/messages_en.tsv"));
    static const Table japanese = LoadTable(QStringLiteral(":/catalogue/messages_ja.tsv"));
    return language == CatalogueLanguage::Japanese ? japanese : english;
}

std::optional<CatalogueLanguage>& ChosenLanguage() {
    static std::optional<CatalogueLanguage> chosen;
    return chosen;
}

// Substitutes the markers of the message text from left to right, each once. An argument is
// inserted as it is: its own characters are never read as markers, so a stored name such as
// "O2~1" shows as typed and cannot add columns to a "|"-separated grid format.
void Expand(QStringView text, const QStringList& args, QString& out) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'~') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) break;  // a lone tilde at the end is dropped
        const QChar x = text[++i];
        if (x == u'c' || x == u'C') {
            out += QStringLiteral("\r\n");
        } else if (x == u't' || x == u'T') {
            out += u'\t';
        } else if (x >= u'0' && x <= u'9') {
            const int n = x.unicode() - u'0';
            if (n >= 1 && n <= args.size()) out += args[n - 1];
        }
        // any other pair is removed
    }
}

// The platform layer's texts come from the catalogue wherever the catalogue is linked in.
[[maybe_unused]] const bool kPlatformWordingInstalled = [] {
    SetPlatformWording([](int id, const QStringList& args) { return GetMessage(id, args); });
    return true;
}();

}  // namespace

CatalogueLanguage CurrentLanguage() {
    if (ChosenLanguage()) return *ChosenLanguage();
    // The system's language is fixed for the life of the process; asked once, since every
    // message and every date text of a table or export asks for it.
    static const CatalogueLanguage system = QLocale::system().language() == QLocale::Japanese
                                                ? CatalogueLanguage::Japanese
                                                : CatalogueLanguage::English;
    return system;
}

void SetCatalogueLanguage(CatalogueLanguage language) {
    ChosenLanguage() = language;
}
void FollowSystemLanguage() {
    ChosenLanguage().reset();
}

bool HasMessage(int id, CatalogueLanguage language) {
    return TableOf(language).contains(id);
}

QString RawMessage(int id, CatalogueLanguage language) {
    const Table& table = TableOf(language);
    const auto it = table.constFind(id);
    if (it == table.constEnd())
        throw AppError(326, QStringLiteral("Resource with identifier %1 not found").arg(id));
    return *it;
}

std::vector<int> CatalogueIds(CatalogueLanguage language) {
    const Table& table = TableOf(language);
    std::vector<int> ids(table.keyBegin(), table.keyEnd());
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString GetMessage(int id, const QStringList& args) {
    const QString text = RawMessage(id, CurrentLanguage());
    QString out;
    out.reserve(text.size());
    Expand(text, args, out);
    return out;
}

namespace {

// Appends `value` in decimal with at least `width` digits, zero-padded after any sign.
void PutNumber(char16_t*& out, int value, int width) {
    if (value < 0) {
        *out++ = u'-';
        value = -value;
        --width;
    }
    char16_t digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n < width)
        digits[n++] = u'0';
    while (n > 0)
        *out++ = digits[--n];
}

}  // namespace

QString GeneralDate(const QDateTime& date) {
    if (!date.isValid()) return QString();  // no date stored: nothing to show
    // Written digit by digit: tables and exports show thousands of these.
    int year = 0, month = 0, day = 0;
    date.date().getDate(&year, &month, &day);
    const QTime t = date.time();
    const bool midnight = t.hour() == 0 && t.minute() == 0 && t.second() == 0;
    char16_t buffer[48];
    char16_t* out = buffer;
    const auto time = [&](int hour) {
        *out++ = u' ';
        PutNumber(out, hour, 1);
        *out++ = u':';
        PutNumber(out, t.minute(), 2);
        *out++ = u':';
        PutNumber(out, t.second(), 2);
    };
    if (CurrentLanguage() == CatalogueLanguage::Japanese) {
        PutNumber(out, year, 4);
        *out++ = u'/';
        PutNumber(out, month, 2);
        *out++ = u'/';
        PutNumber(out, day, 2);
        if (!midnight) time(t.hour());
    } else {
        PutNumber(out, month, 1);
        *out++ = u'/';
        PutNumber(out, day, 1);
        *out++ = u'/';
        PutNumber(out, year, 4);
        if (!midnight) {
            time(t.hour() % 12 == 0 ? 12 : t.hour() % 12);
            *out++ = u' ';
            *out++ = t.hour() < 12 ? u'A' : u'P';
            *out++ = u'M';
        }
    }
    return QString(reinterpret_cast<const QChar*>(buffer), out - buffer);
}

QString MediumDate(const QDateTime& date) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate d = date.date();
    if (!d.isValid()) return QString();
    if (CurrentLanguage() == CatalogueLanguage::Japanese)
        return QStringLiteral("%1/%2/%3")
            .arg(d.year() % 100, 2, 10, QChar(u'0'))
            .arg(d.month(), 2, 10, QChar(u'0'))
            .arg(d.day(), 2, 10, QChar(u'0'));
    return QStringLiteral("%1-%2-%3")
        .arg(d.day(), 2, 10, QChar(u'0'))
        .arg(QLatin1String(kMonths[d.month() - 1]))
        .arg(d.year() % 100, 2, 10, QChar(u'0'));
}

}  // namespace qv
