#pragma once

#include <QVariantList>
#include <cstdint>
#include <deque>
#include <vector>

// One statement of a journal write, its values bound in order.
struct JournalStatement
{
    const char *Sql = nullptr;
    QVariantList Values;
    // The values that name a problem: its handle, turned into its row when written.
    std::vector<int> Problems;
    // The handle the row this statement inserts stands for (none when 0).
    int64_t Makes = 0;
};
// What one transaction writes.
using JournalWrite = std::vector<JournalStatement>;

// The journal's writes that are not in the file yet, oldest first, and when to try again:
// a file held by another program is tried again after a wait that doubles up to a cap, and a
// wait of a minute is worth telling once.
class PendingWrites
{
public:
    static constexpr uint32_t FirstWaitMs = 250;
    static constexpr uint32_t LongestWaitMs = 8000;
    static constexpr uint32_t TellAfterMs = 60000;

    void add(JournalWrite write) { m_writes.push_back(std::move(write)); }
    void addFirst(JournalWrite write) { m_writes.push_front(std::move(write)); }
    bool empty() const { return m_writes.empty(); }
    size_t size() const { return m_writes.size(); }
    const JournalWrite &front() const { return m_writes.front(); }
    void popFront() { m_writes.pop_front(); }
    void clear();

    // A write found the file blocked at now.
    void blocked(uint32_t now);
    // Everything went in: the next block starts afresh.
    void cleared();
    bool isBlocked() const { return m_blocked; }
    // Whether the next try is due at now (at once while nothing is blocked).
    bool due(uint32_t now) const;
    // True once per block, when it has lasted TellAfterMs.
    bool takeTellable(uint32_t now);

private:
    std::deque<JournalWrite> m_writes;
    bool m_blocked = false;
    bool m_told = false;
    uint32_t m_since = 0;
    uint32_t m_nextTry = 0;
    uint32_t m_wait = 0;
};
