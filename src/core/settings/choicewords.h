#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <optional>

// A choice and the word that stands for it in varnholt.conf and on the
// command line; a table of them reads and writes the words both ways.
template <typename Choice> struct ChoiceWord
{
    Choice choice;
    const char* word;
};

template <typename Choice, std::size_t N>
std::optional<Choice> choiceNamed(const ChoiceWord<Choice> (&words)[N], QStringView text,
                                  Qt::CaseSensitivity cs)
{
    for (const ChoiceWord<Choice>& word : words) {
        if (text.compare(QLatin1String(word.word), cs) == 0)
            return word.choice;
    }
    return std::nullopt;
}

template <typename Choice, std::size_t N>
QString wordFor(const ChoiceWord<Choice> (&words)[N], Choice choice)
{
    for (const ChoiceWord<Choice>& word : words) {
        if (word.choice == choice)
            return QString::fromLatin1(word.word);
    }
    return {};
}
