// The message-key list of the event collections.
#include "MessageKeyList.h"

#include "Runtime.h"

namespace qv {

namespace {
// Each value gains one blank fewer than its width, so an empty value gives a piece one
// character short: the key texts stay those the instrument's logs have always been keyed by.
QString Piece(const QString& value, int width, int padding) {
    return rt::Left(value + QString(padding, u' '), width);
}
}  // namespace

QString MessageKeyList::MakeMessageKey(const QString& serialNo, const QString& stationId,
                                       const QString& userId, const QString& folderId) {
    return MakeMessageKey(serialNo, stationId, userId) + Piece(folderId, 5, 5);
}

QString MessageKeyList::MakeMessageKey(const QString& serialNo, const QString& stationId,
                                       const QString& userId) {
    return Piece(serialNo, 12, 11) + Piece(stationId, 10, 9) + Piece(userId, 10, 9);
}

bool MessageKeyList::IsMessageListed(const QString& key) const {
    return keys_.contains(rt::Trim(key));
}

void MessageKeyList::AddMessageKey(const QString& key) {
    // An empty key names no log.
    if (!key.isEmpty()) keys_.insert(rt::Trim(key));
}

void MessageKeyList::Clear() {
    keys_.clear();
}

int MessageKeyList::Count() const {
    return static_cast<int>(keys_.size());
}

}  // namespace qv
