#include "core/browser/naturalcompare.h"

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The end of the digit run that starts at `at`.
qsizetype digitRunEnd(const QString& text, qsizetype at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// Compares two digit runs by value, however long they are: without leading
// zeros the longer run is the larger number, runs of equal length compare
// digit by digit.
int compareNumbers(QStringView left, QStringView right)
{
    auto withoutLeadingZeros = [](QStringView run) {
        qsizetype first = 0;
        while (first < run.size() && run[first] == u'0')
            ++first;
        return run.mid(first);
    };
    const QStringView a = withoutLeadingZeros(left);
    const QStringView b = withoutLeadingZeros(right);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

int naturalCompare(const QString& left, const QString& right)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        if (isDigit(left[i]) && isDigit(right[j])) {
            const qsizetype leftEnd = digitRunEnd(left, i);
            const qsizetype rightEnd = digitRunEnd(right, j);
            const int byValue = compareNumbers(QStringView(left).mid(i, leftEnd - i),
                                               QStringView(right).mid(j, rightEnd - j));
            if (byValue != 0)
                return byValue;
            i = leftEnd;
            j = rightEnd;
            continue;
        }
        const char32_t a = left[i].toCaseFolded().unicode();
        const char32_t b = right[j].toCaseFolded().unicode();
        if (a != b)
            return a < b ? -1 : 1;
        ++i;
        ++j;
    }
    // One text is a prefix of the other: the shorter comes first.
    const qsizetype leftRest = left.size() - i;
    const qsizetype rightRest = right.size() - j;
    return leftRest == rightRest ? 0 : (leftRest < rightRest ? -1 : 1);
}
