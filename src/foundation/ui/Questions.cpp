// The list of the program's questions and the one way to ask them.
#include "Questions.h"

#include "UserDialogs.h"
#include "modMessage.h"

#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

namespace qv {

namespace {

// The answers of a set of buttons, in the order the box shows them.
std::vector<int> AnswersOf(int style) {
    switch (style & 7) {
        case vbOKCancel:
            return {vbOK, vbCancel};
        case vbAbortRetryIgnore:
            return {vbAbort, vbRetry, vbIgnore};
        case vbYesNoCancel:
            return {vbYes, vbNo, vbCancel};
        case vbYesNo:
            return {vbYes, vbNo};
        case vbRetryCancel:
            return {vbRetry, vbCancel};
        default:
            return {vbOK};
    }
}

}  // namespace

const std::vector<QuestionEntry>& Questions() {
    using Q = Question;
    constexpr int yesNo = vbYesNo | vbQuestion;
    static const std::vector<QuestionEntry> list{
        {Q::ReplaceFile, 5307, 5308, yesNo, vbNo},
        {Q::DeleteAllData, 5317, 5318, yesNo, vbNo},
        {Q::DeleteFolderData, 5339, 5340, yesNo, vbNo},
        {Q::DeleteLog, 5327, 5328, yesNo, vbNo},
        {Q::DeleteCalHistory, 5357, 5358, vbYesNo | vbInformation, vbNo},
        {Q::ClearInstrumentData, 5343, 5344, yesNo, vbNo},
        {Q::RemoveDataAfterDownload, 5333, 5334, yesNo, vbNo},
        {Q::DumpToFile, 9019, 9020, yesNo, vbNo},
        {Q::AutoLoadOn, 5303, 5304, yesNo, vbYes},
        {Q::AutoLoadOff, 5305, 5306, yesNo, vbYes},
        {Q::PowerOff, 5347, 5348, yesNo, vbYes},
        {Q::UploadSettings, 5309, 5310, yesNo, vbYes},
        {Q::DisableSensor, 5335, 5336, yesNo, vbYes},
    };
    return list;
}

const QuestionEntry& EntryOf(Question question) {
    const auto& list = Questions();
    const auto found = std::find_if(list.begin(), list.end(), [question](const QuestionEntry& e) {
        return e.question == question;
    });
    if (found == list.end()) throw std::logic_error("question missing from the list");
    return *found;
}

int AskStyle(const QuestionEntry& entry) {
    const std::vector<int> answers = AnswersOf(entry.style);
    const auto at = std::find(answers.begin(), answers.end(), entry.defaultAnswer);
    const int index = at == answers.end() ? 0 : static_cast<int>(at - answers.begin());
    return entry.style | index * vbDefaultButton2;
}

bool Ask(Question question, const QStringList& args) {
    const QuestionEntry& entry = EntryOf(question);
    const int answer =
        Dialogs().MsgBox(GetMessage(entry.text, args), AskStyle(entry), GetMessage(entry.title));
    return answer == vbYes || answer == vbOK;
}

bool MayReplaceFile(const QString& path) {
    return !QFileInfo::exists(path) || Ask(Question::ReplaceFile);
}

}  // namespace qv
