#pragma once
#include <QString>
#include <optional>

class QWidget;

// The buttons, icons and answers of the old message box, so that every box of the system keeps its
// exact text, title, buttons and icon and can be answered by a script in tests.
enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// Line breaks as the old system wrote them into box texts.
inline const QString CR = QStringLiteral("\r");
inline const QString CRLF = QStringLiteral("\r\n");

// Every modal message and input box goes through this seam. Production shows Qt boxes; tests
// install a scripted version that records what was asked and answers from a list.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual Answer message(const QString& text, Buttons buttons, Icon icon, const QString& title) = 0;
    // The same box with `defaultButton` as the one Enter presses: a box whose Yes destroys files
    // makes No the default.
    virtual Answer messageWithDefault(const QString& text, Buttons buttons, Icon icon, const QString& title,
                                      Answer defaultButton)
    {
        (void)defaultButton;
        return message(text, buttons, icon, title);
    }
    // nullopt when the user cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
};

class QtPrompts : public Prompts {
public:
    Answer message(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    Answer messageWithDefault(const QString& text, Buttons buttons, Icon icon, const QString& title,
                              Answer defaultButton) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
};

// The installed seam (a QtPrompts until something else is set).
Prompts& prompts();
// Installs p (not owned); nullptr restores the Qt boxes.
void setPrompts(Prompts* p);

// Shorthand for the common box forms.
Answer msgBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const QString& title = QStringLiteral("Corvanex"));

// "Error Number = n" CRLF CRLF description: the form every trapped error is reported in.
QString errorText(int number, const QString& description);
