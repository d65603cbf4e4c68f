#pragma once
// A gate the library's calls into the program pass on their way to the pages. Once closed it
// lets no call through, and the pages' owner waits, bounded, for the calls still inside before
// it frees the pages. Calls may nest on one thread (a soft button's refresh inside its
// callback); each passage counts.

#include <windows.h>

#include <condition_variable>
#include <mutex>

class CCallGate {
public:
    // One passage through the gate, for as long as it lives; false when the gate was closed.
    class Passage {
    public:
        explicit Passage(CCallGate& gate) : m_gate(gate), m_entered(gate.Enter()) {}
        ~Passage() {
            if (m_entered)
                m_gate.Leave();
        }
        Passage(const Passage&) = delete;
        Passage& operator=(const Passage&) = delete;

        explicit operator bool() const { return m_entered; }

    private:
        CCallGate& m_gate;
        bool m_entered;
    };

    void Close();
    // After Close: true once no call is inside, false when some still are after `timeoutMs`.
    bool WaitUntilEmpty(DWORD timeoutMs);

private:
    bool Enter();
    void Leave();

    std::mutex m_lock;
    std::condition_variable m_left;
    int m_inside = 0;
    bool m_closed = false;
};
