#include "TemporaryHome.h"

#include "UserHome.h"

TemporaryHome::TemporaryHome()
{
    UserHome::setPathForProcess(m_dir.path());
}

TemporaryHome::~TemporaryHome()
{
    // A home made before this one was let go keeps the newer one in place: a test that
    // replaces its rig makes the new home first, and must not be left with the real one.
    if (UserHome::path() == m_dir.path())
        UserHome::setPathForProcess(QString());
}
