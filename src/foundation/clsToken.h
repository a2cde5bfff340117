// Splits one line of text into tokens at delimiters, honouring quotes and comments.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace qv {

class clsToken {
  public:
    void AddDelimiters(const QString& DelimChara);
    void AddStrings(const QString& DelimChara);
    void AddComments(const QString& DelimChara);
    void ClearDelimiters();
    void ClearStrings();
    void ClearComments();

    QString Delimiters(int Index) const;
    void SetDelimiters(int Index, const QString& NewValue);
    QString StringRanges(int Index) const;
    void SetStringRanges(int Index, const QString& NewValue);
    QString Comments(int Index) const;
    void SetComments(int Index, const QString& NewValue);

    int16_t TokenCount() const { return tokenCount_; }
    void SetTokenCount(int16_t vData) { tokenCount_ = vData; }
    // Slots 0 to 49 read back; anything else reads as the empty text.
    QString Tokens(int IndexNo) const;
    // Stores into slot 0 to 50; any other slot raises a subscript error.
    void SetTokens(int IndexNo, const QString& vData);

    const QString& Source() const { return source_; }
    // Stores the text and splits it at once.
    void SetSource(const QString& vData);

    int16_t DelimiterCount() const { return delimiterCount_; }
    int16_t StringCount() const { return stringCount_; }
    int16_t CommentCount() const { return commentCount_; }

    static constexpr int kSlots = 51;

  private:
    int CharKind(QChar c) const;
    void Tokenize();
    // Stores a token; a split never writes beyond the last slot.
    void Store(const QString& token);

    QString source_;
    std::array<QString, kSlots> tokens_;
    int16_t tokenCount_ = 0;
    std::array<QString, 11> delimiters_;
    int16_t delimiterCount_ = 0;
    std::array<QString, 11> strings_;
    int16_t stringCount_ = 0;
    std::array<QString, 11> comments_;
    int16_t commentCount_ = 0;
};

}  // namespace qv
