#include "platform/ui/controls/McAdapterBase.h"

#include <algorithm>

namespace qv::ui {

void SMcAdapterBase::registerDataSetObserver(ILvDataSetObserver* observer) {
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void SMcAdapterBase::unregisterDataSetObserver(ILvDataSetObserver* observer) { std::erase(m_observers, observer); }

void SMcAdapterBase::notifyDataSetChanged() {
    // An observer may unregister itself while being told.
    std::vector<ILvDataSetObserver*> snapshot = m_observers;
    for (ILvDataSetObserver* o : snapshot) {
        if (std::find(m_observers.begin(), m_observers.end(), o) != m_observers.end()) o->onChanged();
    }
}

}  // namespace qv::ui
