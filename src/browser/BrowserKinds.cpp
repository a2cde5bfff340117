// The table of stored-log kinds.
#include "BrowserKinds.h"

#include "modGlobals.h"
#include "modKeys.h"

namespace qv {

const std::array<LogKind, 6>& LogKinds() {
    static const std::array<LogKind, 6> kinds{{
        {u'I', u'G', TypeInterval, 5624, "Interval", {"Interval_Data", "Interval_Event"}},
        {u'A', u'K', TypeAlarmTrend, 5625, "Alarm", {"Alarm_Data"}},
        {u'D', u'H', TypeCalHistory, 5626, "History", {"cHistory"}},
        {u'E', u'V', TypeAlarmEvents, 5627, "AEvent", {"Alarm_Event"}},
        {u'B', u'W', TypeTroubleEvents, 5628, "TEvent", {"Trouble_Event"}},
        {u'R', u'P', TypePowerEvents, 5629, "PEvent", {"Power_Event"}},
    }};
    return kinds;
}

const LogKind* KindOfCategory(QChar letter) {
    for (const LogKind& k : LogKinds())
        if (k.category == letter) return &k;
    return nullptr;
}

const LogKind* KindOfRecord(QChar letter) {
    for (const LogKind& k : LogKinds())
        if (k.record == letter) return &k;
    return nullptr;
}

namespace {

// A log's gas definitions and statistics; left behind, they would be read again as the gas
// rows of a later log that is handed the same key.
const QString kGasTable = QStringLiteral("Gas_List");

}  // namespace

const QStringList& ChildTables() {
    static const QStringList tables = [] {
        QStringList all;
        for (const LogKind& k : LogKinds())
            all << k.tables;
        return all << kGasTable;
    }();
    return tables;
}

QStringList ChildTables(const LogKind& kind) {
    return kind.tables + QStringList{kGasTable};
}

QChar KeyLetter(const QString& key) {
    const QString word = GetLastWord(key);
    return word.size() == 1 ? word[0] : QChar();
}

bool IsGroupingLetter(QChar letter) {
    return letter == u'#' || letter == u'S' || letter == u'T' || letter == u'U' || letter == u'M';
}

const GroupingLevel* LevelOfLetter(QChar letter) {
    static const std::array<GroupingLevel, 4> levels{{
        {u'S', QStringLiteral("SerialNo")},
        {u'T', QStringLiteral("StationID")},
        {u'U', QStringLiteral("UserID")},
        {u'M', QStringLiteral("FolderID")},
    }};
    for (const GroupingLevel& level : levels)
        if (level.letter == letter) return &level;
    return nullptr;
}

namespace {

// Between the levels of a key's value part: a value, its letter, the next value ...
constexpr QChar kBetween = u'|';
constexpr QChar kEscape = u'%';

// A value as a key holds it: the separator, the escape and every character outside printable
// ASCII as the escape and four hex digits. Keys are compared without regard to case, which would
// make one key of two values that differ only in the case of a letter outside ASCII.
QString KeyText(const QString& value) {
    QString text;
    text.reserve(value.size());
    for (QChar c : value) {
        if (c == kBetween || c == kEscape || c.unicode() < 0x20 || c.unicode() > 0x7E)
            text += kEscape + QStringLiteral("%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            text += c;
    }
    return text;
}

std::optional<QString> ValueOfKeyText(const QString& text) {
    QString value;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != kEscape) {
            value += text[i];
            continue;
        }
        bool ok = false;
        const uint code = text.mid(i + 1, 4).toUInt(&ok, 16);
        if (!ok || i + 4 >= text.size()) return std::nullopt;
        value += QChar(static_cast<char16_t>(code));
        i += 4;
    }
    return value;
}

}  // namespace

QString GroupingKey(const QString& parentKey, QChar letter, const QString& value) {
    const QChar parent = KeyLetter(parentKey);
    const QString prefix =
        LevelOfLetter(parent) ? DropLastTwo(parentKey) + kBetween + parent + kBetween : QString();
    return prefix + KeyText(value) + u' ' + letter;
}

QString CategoryKey(const QString& folderKey, QChar letter) {
    return DropLastTwo(folderKey) + u' ' + letter;
}

std::optional<KeyPath> ReadKeyPath(const QString& key) {
    const QChar letter = KeyLetter(key);
    KeyPath path;
    path.kind = KindOfCategory(letter);
    const QChar last = path.kind ? QChar(u'M') : letter;
    if (!LevelOfLetter(last) || !key.endsWith(QStringLiteral(" ") + letter)) return std::nullopt;
    const QStringList parts = DropLastTwo(key).split(kBetween);
    if (parts.size() % 2 == 0) return std::nullopt;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QChar levelLetter =
            i + 1 < parts.size() ? (parts[i + 1].size() == 1 ? parts[i + 1][0] : QChar()) : last;
        const GroupingLevel* level = LevelOfLetter(levelLetter);
        const std::optional<QString> value = ValueOfKeyText(parts[i]);
        if (!level || !value) return std::nullopt;
        path.levels.emplace_back(level, *value);
    }
    return path;
}

}  // namespace qv
