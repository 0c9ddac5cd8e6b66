#pragma once

#include <QQmlEngine>

// The one object of a type that the program made and QML reaches as a
// singleton: installed before any engine loads, owned by the program.
template <typename T> class InstalledInstance
{
public:
    static void install(T* object) { slot() = object; }

    static T* create(QQmlEngine*, QJSEngine*)
    {
        // The engine must never delete what the program owns.
        if (T* object = slot())
            QQmlEngine::setObjectOwnership(object, QQmlEngine::CppOwnership);
        return slot();
    }

private:
    static T*& slot()
    {
        static T* object = nullptr;
        return object;
    }
};
