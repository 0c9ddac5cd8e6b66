#pragma once

#include <QString>

#include <chrono>

// A file replaced in one step is first written under its own name with a dot
// and six random letters beside it, then renamed over it. A process killed
// in between leaves that temporary behind, and nothing else ever removes it.
namespace SaveFileLeftovers {

// Removes the temporaries of the file at path that were last changed longer
// ago than minimumAge: regular files of this user, named exactly so, in the
// same folder. Younger ones may belong to a write in progress and stay.
// Answers how many were removed.
int remove(const QString& path, std::chrono::seconds minimumAge);

} // namespace SaveFileLeftovers
