#include "NumericVersion.h"

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The digit run starting at index, without its leading zeros; index moves past the run.
QStringView digitRun(QStringView text, qsizetype& index)
{
    const qsizetype start = index;
    while (index < text.size() && isDigit(text[index]))
        ++index;
    QStringView run = text.sliced(start, index - start);
    while (run.size() > 1 && run.front() == u'0')
        run = run.sliced(1);
    return run;
}

int sign(qsizetype value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

} // namespace

int NumericVersion::compare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const QStringView left = digitRun(a, i);
            const QStringView right = digitRun(b, j);
            // Without leading zeros, the longer run is the larger number.
            if (left.size() != right.size())
                return sign(left.size() - right.size());
            if (const int order = left.compare(right); order != 0)
                return sign(order);
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    return sign((a.size() - i) - (b.size() - j));
}
