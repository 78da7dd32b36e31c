#pragma once
// Window and skin classes by layout tag. The application holds one factory;
// without an application only the built-in classes exist.
#include <functional>
#include <map>

#include "platform/ui/SStringW.h"

namespace qv::ui {

class SWindow;
class ISkinObj;

template <class T>
class SObjectFactory {
public:
    using Creator = std::function<T*()>;

    void Register(const SStringW& tag, Creator creator) { m_creators[Key(tag)] = std::move(creator); }
    template <class C>
    void RegisterClass() { Register(C::GetClassName(), [] { return new C(); }); }
    bool Unregister(const SStringW& tag) { return m_creators.erase(Key(tag)) != 0; }
    bool IsRegistered(const SStringW& tag) const { return m_creators.count(Key(tag)) != 0; }
    T* Create(const SStringW& tag) const {
        auto it = m_creators.find(Key(tag));
        return it == m_creators.end() ? nullptr : it->second();
    }

private:
    // Tags compare ignoring case.
    static std::u16string Key(const SStringW& tag) { return SStringW(tag).MakeLower().str(); }
    std::map<std::u16string, Creator> m_creators;
};

using SWindowFactory = SObjectFactory<SWindow>;
using SSkinFactory = SObjectFactory<ISkinObj>;

// Registers the framework's own window and skin classes.
void RegisterBuiltinWindows(SWindowFactory& factory);
void RegisterBuiltinSkins(SSkinFactory& factory);

// Through the current application's factory, else the built-in classes.
SWindow* CreateWindowByName(const SStringW& tag);
ISkinObj* CreateSkinByName(const SStringW& tag);

}  // namespace qv::ui
