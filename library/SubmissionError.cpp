#include "SubmissionError.h"

QString SubmissionError::description() const
{
    switch (m_case) {
    case Case::missingFiles:
        return QStringLiteral("Missing files: ") + m_payload;
    case Case::notSignedIn:
        return QStringLiteral("You must be signed in to submit wallpapers");
    }
    return {};
}
