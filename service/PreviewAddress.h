#pragma once

#include <QStringList>
#include <QUrl>

// Whether a video address may be handed to the preview player. Addresses come
// from service data and the player opens whatever it is given (other protocols,
// relative paths, any file), so only two kinds pass: an absolute http or https
// address with a host, and a local file inside one of the given folders (after
// "..", and symbolic links where the file exists, are resolved).
bool isAcceptedPreviewAddress(const QUrl& url, const QStringList& folders);
