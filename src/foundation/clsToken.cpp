// Line tokenizer: delimiters, quotes and comment characters, up to 51 token slots.
#include "clsToken.h"

#include "AppError.h"

namespace qv {

namespace {

void AddTo(std::array<QString, 11>& list, int16_t& count, const QString& c) {
    if (count >= 10) return;  // full: ignored without notice
    list[static_cast<size_t>(count)] = c;
    ++count;
}

void ClearList(std::array<QString, 11>& list, int16_t& count) {
    for (int i = 0; i < 10; ++i)
        list[static_cast<size_t>(i)].clear();
    count = 0;
}

QString Get(const std::array<QString, 11>& list, int16_t count, int index) {
    return (index >= 0 && index < count) ? list[static_cast<size_t>(index)] : QString();
}

void Set(std::array<QString, 11>& list, int index, const QString& value) {
    if (index >= 0 && index <= 9) list[static_cast<size_t>(index)] = value;
}

bool Matches(const std::array<QString, 11>& list, int16_t count, QChar c) {
    for (int i = 0; i < count; ++i) {
        const QString& e = list[static_cast<size_t>(i)];
        if (e.size() == 1 && e[0] == c) return true;
    }
    return false;
}

}  // namespace

void clsToken::AddDelimiters(const QString& DelimChara) {
    AddTo(delimiters_, delimiterCount_, DelimChara);
}
void clsToken::AddStrings(const QString& DelimChara) {
    AddTo(strings_, stringCount_, DelimChara);
}
void clsToken::AddComments(const QString& DelimChara) {
    AddTo(comments_, commentCount_, DelimChara);
}
void clsToken::ClearDelimiters() {
    ClearList(delimiters_, delimiterCount_);
}
void clsToken::ClearStrings() {
    ClearList(strings_, stringCount_);
}
void clsToken::ClearComments() {
    ClearList(comments_, commentCount_);
}

QString clsToken::Delimiters(int Index) const {
    return Get(delimiters_, delimiterCount_, Index);
}
void clsToken::SetDelimiters(int Index, const QString& NewValue) {
    Set(delimiters_, Index, NewValue);
}
QString clsToken::StringRanges(int Index) const {
    return Get(strings_, stringCount_, Index);
}
void clsToken::SetStringRanges(int Index, const QString& NewValue) {
    Set(strings_, Index, NewValue);
}
QString clsToken::Comments(int Index) const {
    return Get(comments_, commentCount_, Index);
}
void clsToken::SetComments(int Index, const QString& NewValue) {
    Set(comments_, Index, NewValue);
}

QString clsToken::Tokens(int IndexNo) const {
    return (IndexNo >= 0 && IndexNo <= 49) ? tokens_[static_cast<size_t>(IndexNo)] : QString();
}

void clsToken::SetTokens(int IndexNo, const QString& vData) {
    if (IndexNo < 0 || IndexNo >= kSlots)
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
    tokens_[static_cast<size_t>(IndexNo)] = vData;
}

void clsToken::SetSource(const QString& vData) {
    source_ = vData;
    Tokenize();
}

int clsToken::CharKind(QChar c) const {
    int kind = 0;
    if (Matches(delimiters_, delimiterCount_, c)) kind = 1;
    if (Matches(strings_, stringCount_, c)) kind = 2;
    if (Matches(comments_, commentCount_, c)) kind = 3;
    return kind;
}

void clsToken::Store(const QString& token) {
    // Tokens beyond the last slot are dropped: a line with more fields than slots keeps the
    // first 51 and never writes outside the list.
    if (tokenCount_ < kSlots) {
        tokens_[static_cast<size_t>(tokenCount_)] = token;
        ++tokenCount_;
    }
}

void clsToken::Tokenize() {
    QString pending;
    bool quoted = false;
    tokenCount_ = 0;
    const qsizetype n = source_.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = source_[i];
        switch (CharKind(c)) {
            case 1:
                if (quoted) {
                    pending += c;
                } else {
                    if (!pending.isEmpty()) Store(pending);
                    pending.clear();
                }
                break;
            case 2:
                if (quoted) {
                    Store(pending);
                    quoted = false;
                } else {
                    quoted = true;
                }
                pending.clear();
                break;
            case 3:
                if (quoted) {
                    pending += c;
                    break;
                }
                if (tokenCount_ < kSlots)
                    tokens_[static_cast<size_t>(tokenCount_)] = source_.mid(i + 1);
                return;
            default:
                pending += c;
                break;
        }
    }
    if (!pending.isEmpty()) Store(pending);
}

}  // namespace qv
