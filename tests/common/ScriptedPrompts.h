#pragma once
#include "platform/Prompts.h"

#include <QStringList>
#include <deque>
#include <map>
#include <functional>
#include <vector>

// Records every box shown and answers from a script. A box with no scripted answer fails the test
// (an unexpected prompt is a fault) and is answered with its first button.
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        QString text;
        Buttons buttons;
        Icon icon;
        QString title;
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    ScriptedPrompts& answer(Answer a)
    {
        m_answers.push_back(a);
        return *this;
    }
    ScriptedPrompts& answerOk(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            m_answers.push_back(Answer::Ok);
        return *this;
    }
    ScriptedPrompts& answerInput(std::optional<QString> text)
    {
        m_inputs.push_back(std::move(text));
        return *this;
    }
    // Answers every box with `a` (for loops of boxes in tests that do not count them).
    void answerAllWith(Answer a) { m_default = a; }

    Answer message(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
    Answer messageWithDefault(const QString& text, Buttons buttons, Icon icon, const QString& title,
                              Answer defaultButton) override
    {
        defaultButtons[shown.size()] = defaultButton;
        return message(text, buttons, icon, title);
    }
    // The default button of the boxes that name one, by their index in `shown`.
    std::map<std::size_t, Answer> defaultButtons;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) override;

    std::vector<Shown> shown;
    // Called as each box is shown, before it is answered (to look at state while a box is open).
    std::function<void(const Shown&)> onShow;
    std::size_t unanswered() const { return m_answers.size(); }

private:
    std::deque<Answer> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    std::optional<Answer> m_default;
};
