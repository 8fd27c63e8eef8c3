#pragma once
// The dialogs seam: message boxes and the input box. The program uses the real boxes; tests
// install a scripted Dialogs that records each question and answers it.
#include <string>

#include "text/text.h"

enum class MsgKind { Warning, Information, Confirmation, Error, Plain };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult Ask(MsgKind kind, const Text& title, const Text& text, MsgButtons buttons) = 0;
    // The input box: value comes back as edited; false when it was cancelled.
    virtual bool InputQuery(const Text& caption, const Text& prompt, Text& value) = 0;
};

Dialogs& TheDialogs();
// nullptr restores the real dialogs.
void SetDialogs(Dialogs* dialogs);

// The standard boxes: titles "Warning", "Information", "Confirm", "Error" and,
// for plain messages, the application's title.
void ShowWarning(const Text& text);
inline void ShowWarning(const std::string& text) { ShowWarning(From1250(text)); }
void ShowInformation(const Text& text);
inline void ShowInformation(const std::string& text) { ShowInformation(From1250(text)); }
void ShowPlainMessage(const Text& text);
inline void ShowPlainMessage(const std::string& text) { ShowPlainMessage(From1250(text)); }
void ShowError(const Text& text);
inline void ShowError(const std::string& text) { ShowError(From1250(text)); }
bool Confirm(const Text& text);  // "Confirm", Yes and No
inline bool Confirm(const std::string& text) { return Confirm(From1250(text)); }
bool AskWarningYesNo(const Text& text);  // "Warning", Yes and No
inline bool AskWarningYesNo(const std::string& text) { return AskWarningYesNo(From1250(text)); }
bool InputQuery(const Text& caption, const Text& prompt, Text& value);
inline bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    Text edited = From1250(value);
    if (!InputQuery(From1250(caption), From1250(prompt), edited)) return false;
    value = To1250(edited);
    return true;
}

extern const char* const kApplicationTitle;
