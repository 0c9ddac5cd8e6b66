#include "SessionTokenStore.h"

#include "Keychain.h"

#include <QStringDecoder>

namespace {

const QString service = QStringLiteral("com.lanto.mac");
const QString account = QStringLiteral("session-token");

} // namespace

std::optional<QString> SessionTokenStore::load()
{
    QByteArray data;
    if (Keychain::find(service, account, &data) != Keychain::Status::success)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString token = decoder(data);
    if (decoder.hasError())
        return std::nullopt;
    return token;
}

bool SessionTokenStore::save(const QString& token)
{
    const QByteArray data = token.toUtf8();
    const Keychain::Status updated = Keychain::update(service, account, data);
    if (updated == Keychain::Status::itemNotFound)
        return Keychain::add(service, account, data) == Keychain::Status::success;
    return updated == Keychain::Status::success;
}

void SessionTokenStore::remove() { Keychain::remove(service, account); }
