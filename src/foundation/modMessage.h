// The message catalogue in English and Japanese, fetched by number with its placeholders filled.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace qv {

enum class CatalogueLanguage { English, Japanese };

// The language of the catalogue in use: Japanese when the system locale's language is
// Japanese, English otherwise, unless set explicitly.
CatalogueLanguage CurrentLanguage();
void SetCatalogueLanguage(CatalogueLanguage language);
// Goes back to following the system locale.
void FollowSystemLanguage();

// The text of message `id` with "~1".."~9" replaced by the arguments, "~c" by CR LF, "~t" by a
// TAB and any other tilde pair removed; the arguments are inserted as they are, never read for
// markers of their own. An id that the catalogue lacks raises AppError.
QString GetMessage(int id, const QStringList& args = {});
// True when the catalogue of the given language holds the id.
bool HasMessage(int id, CatalogueLanguage language);
// Every id of one language's table, ascending.
std::vector<int> CatalogueIds(CatalogueLanguage language);
// The raw catalogue text, placeholders untouched (tests and the captions' format strings).
QString RawMessage(int id, CatalogueLanguage language);

// The "General Date" display of the catalogue's language: English M/d/yyyy h:mm:ss AM,
// Japanese yyyy/MM/dd H:mm:ss; the time is left out at exactly midnight. No date (an invalid
// QDateTime) gives "".
QString GeneralDate(const QDateTime& date);
// The "Medium Date" display of the catalogue's language: English dd-MMM-yy (14-May-24) with
// English month names whatever the locale, Japanese yy/mm/dd; "" for an invalid date.
QString MediumDate(const QDateTime& date);

}  // namespace qv
