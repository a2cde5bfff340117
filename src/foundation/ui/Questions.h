// Every question the program asks the user before it acts, with the answer that Enter gives, in
// one list: a question before stored data, the instrument's data or a file is destroyed or
// replaced offers No as its default, so that a key pressed in haste never destroys anything.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace qv {

enum class Question {
    ReplaceFile,              // a file of the name chosen for a save exists
    DeleteAllData,            // every stored log
    DeleteFolderData,         // the logs under a node of the stored-data tree
    DeleteLog,                // one stored log, ~1 its name
    DeleteCalHistory,         // an instrument's latest calibrations, ~1 its serial number
    ClearInstrumentData,      // the instrument's logged data
    RemoveDataAfterDownload,  // the instrument's logged data after each automatic download
    DumpToFile,               // the EEP-ROM dump, which replaces the last dump's file
    AutoLoadOn,
    AutoLoadOff,
    PowerOff,
    UploadSettings,  // the edited settings, or the computer's clock, sent to the instrument
    DisableSensor,   // a gas channel switched off in the edited settings
};

struct QuestionEntry {
    Question question;
    int text;           // message of the prompt; "~1" takes the asking site's argument
    int title;          // message of the title
    int style;          // buttons and icon, as MsgBox takes them
    int defaultAnswer;  // the answer Enter gives (vbYes, vbNo ...)
};

// The questions in the order above.
const std::vector<QuestionEntry>& Questions();
const QuestionEntry& EntryOf(Question question);
// The message box style that asks the question: its buttons, icon and default button.
int AskStyle(const QuestionEntry& entry);

// Asks through the dialogs service; true when the user answered Yes (or OK).
bool Ask(Question question, const QStringList& args = {});
// True when no file of that name exists, or the user agreed to replace it.
bool MayReplaceFile(const QString& path);

}  // namespace qv
