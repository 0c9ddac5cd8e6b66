#include "TemporaryHome.h"

#include "UserHome.h"

TemporaryHome::TemporaryHome()
{
    UserHome::setPathForProcess(m_dir.path());
}

TemporaryHome::~TemporaryHome()
{
    UserHome::setPathForProcess(QString());
}
