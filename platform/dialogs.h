#pragma once
// The dialogs seam: message boxes and the input box. The program uses the real boxes; tests
// install a scripted Dialogs that records each question and answers it.
#include <string>

enum class MsgKind { Warning, Information, Confirmation, Error, Plain };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult Ask(MsgKind kind, const std::string& title, const std::string& text,
                                 MsgButtons buttons) = 0;
    // The input box: value comes back as edited; false when it was cancelled.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
};

Dialogs& TheDialogs();
// nullptr restores the real dialogs.
void SetDialogs(Dialogs* dialogs);

// The standard boxes: titles "Warning", "Information", "Confirm", "Error" and,
// for plain messages, the application's title.
void ShowWarning(const std::string& text);
void ShowInformation(const std::string& text);
void ShowPlainMessage(const std::string& text);
void ShowError(const std::string& text);
bool Confirm(const std::string& text);              // "Confirm", Yes and No
bool AskWarningYesNo(const std::string& text);      // "Warning", Yes and No
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

extern const char* const kApplicationTitle;
