#pragma once

#include <atomic>
#include <deque>
#include <string>

namespace vidorama::flash {

// The player module calls the functions it imports from other libraries (the
// wave-out layer) only through this table, one slot per imported function.
// The host may replace a slot's address to intercept those calls; slots are
// atomic because the player's own threads read them while the host patches.
class ImportTable {
public:
    struct Slot {
        std::string library;
        std::string function;
        std::atomic<void*> address;
    };

    void Add(std::string library, std::string function, void* address) {
        Slot& slot = m_slots.emplace_back();
        slot.library = std::move(library);
        slot.function = std::move(function);
        slot.address.store(address);
    }

    // The slot of the given library (compared without regard to case) whose
    // current address is the given one, or nullptr.
    Slot* FindByAddress(const std::string& library, void* address) {
        for (Slot& slot : m_slots)
            if (SameLibrary(slot.library, library) && slot.address.load() == address)
                return &slot;
        return nullptr;
    }

    Slot* FindByName(const std::string& library, const std::string& function) {
        for (Slot& slot : m_slots)
            if (SameLibrary(slot.library, library) && slot.function == function)
                return &slot;
        return nullptr;
    }

private:
    static bool SameLibrary(const std::string& a, const std::string& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (Lower(a[i]) != Lower(b[i]))
                return false;
        return true;
    }
    static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

    std::deque<Slot> m_slots; // a deque keeps slot addresses stable as slots are added
};

} // namespace vidorama::flash
