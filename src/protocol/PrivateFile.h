#pragma once
// Files only their owner reads (seat tokens, game records), written so that nothing already at
// the path is followed: the bytes go to a new file that no one else could have prepared, which
// then takes the name. A link planted at the name is replaced (or, when keeping, refused), never
// written through.

// Qt
#include <QByteArray>
#include <QString>

namespace pelvo {

// Creates `folder` (with its parents) if missing and makes it owner-only (0700). False when it
// is not a real folder of this user (a link, say) or cannot be made so.
bool makeOwnerOnlyFolder(const QString& folder);

enum class ExistingFile { Replace, Keep };
// Writes `bytes` as `path` with mode 0600. Keep: false when something is at `path` already.
bool writeOwnerOnlyFile(const QString& path, const QByteArray& bytes, ExistingFile existing);

} // namespace pelvo
