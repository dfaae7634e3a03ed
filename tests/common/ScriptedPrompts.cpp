#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

ScriptedPrompts::ScriptedPrompts() { setPrompts(this); }

ScriptedPrompts::~ScriptedPrompts() { setPrompts(nullptr); }

Answer ScriptedPrompts::message(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    shown.push_back({text, buttons, icon, title});
    if (onShow)
        onShow(shown.back());
    if (!m_answers.empty()) {
        const Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    if (m_default)
        return *m_default;
    ADD_FAILURE() << "unexpected box \"" << title.toStdString() << "\": " << text.toStdString();
    switch (buttons) {
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::No;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    default: return Answer::Ok;
    }
}

std::optional<QString> ScriptedPrompts::input(const QString& prompt, const QString& title, const QString&)
{
    shown.push_back({prompt, Buttons::OkCancel, Icon::None, title});
    if (m_inputs.empty()) {
        ADD_FAILURE() << "unexpected input box \"" << title.toStdString() << "\"";
        return std::nullopt;
    }
    auto text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}
