#include "client/worker_budget.h"

#include <algorithm>
#include <limits>

#include <unistd.h>

namespace imaging {

namespace {

constexpr auto kLongestTime = std::chrono::milliseconds(std::chrono::hours(24));
constexpr int kAbandonCheckMs = 50;

template <typename T> T saturatingAdd(T a, T b)
{
    T sum;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<T>::max() : sum;
}

template <typename T> T saturatingMultiply(T a, T b)
{
    T product;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<T>::max() : product;
}

} // namespace

std::chrono::milliseconds WorkerBudget::timeFor(std::int64_t declaredPixels, std::uint64_t outputPixels) const
{
    const std::int64_t megapixels = std::max<std::int64_t>(declaredPixels, 0) / 1'000'000;
    const std::int64_t outputMegapixels
        = std::int64_t(std::min<std::uint64_t>(outputPixels / 1'000'000, std::numeric_limits<std::int64_t>::max()));
    const std::int64_t perMegapixel = std::max<std::int64_t>(timePerMegapixel.count(), 0);
    const std::int64_t perOutputMegapixel = std::max<std::int64_t>(timePerOutputMegapixel.count(), 0);
    const std::int64_t base = std::max<std::int64_t>(baseTime.count(), 0);
    std::int64_t total = saturatingAdd(base, saturatingMultiply(perMegapixel, megapixels));
    total = saturatingAdd(total, saturatingMultiply(perOutputMegapixel, outputMegapixels));
    return std::min(std::chrono::milliseconds(total), kLongestTime);
}

std::uint64_t WorkerBudget::memoryFor(std::int64_t declaredPixels, std::uint64_t sourceBytes, int threads,
                                      std::uint64_t outputPixels, bool held) const
{
    const std::uint64_t pixels = std::uint64_t(std::max<std::int64_t>(declaredPixels, 0));
    std::uint64_t total
        = saturatingAdd(baseMemory, saturatingMultiply(memoryPerThread, std::uint64_t(std::max(threads, 1))));
    total = saturatingAdd(total, saturatingMultiply(memoryPerPixel, pixels));
    total = saturatingAdd(total, sourceBytes);
    total = saturatingAdd(total, saturatingMultiply(memoryPerOutputPixel, outputPixels));
    if (held)
        total = saturatingAdd(total, saturatingMultiply(memoryPerHeldPixel, pixels));
    return memoryBytes ? std::min(total, memoryBytes) : total;
}

std::uint64_t machineMemoryShare()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t total
        = pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : std::uint64_t(4) << 30;
    return total / 4 * 3;
}

MemoryShare &MemoryShare::processShare()
{
    static MemoryShare share(machineMemoryShare());
    return share;
}

std::uint64_t MemoryShare::lent() const
{
    const std::lock_guard lock(m_mutex);
    return m_lent;
}

std::size_t MemoryShare::waiting() const
{
    const std::lock_guard lock(m_mutex);
    return m_waiting.size();
}

bool MemoryShare::take(std::uint64_t bytes, const std::atomic<bool> *abandon)
{
    bytes = std::min(bytes, m_capacity);
    std::unique_lock lock(m_mutex);
    const std::uint64_t ticket = m_nextTicket++;
    m_waiting.insert(ticket);
    // First come, first served: a large picture is not passed over forever
    // by small ones that would fit beside the others.
    auto myTurn = [&] { return *m_waiting.begin() == ticket && m_lent + bytes <= m_capacity; };
    while (!myTurn()) {
        if (abandon && abandon->load()) {
            m_waiting.erase(ticket);
            m_changed.notify_all();
            return false;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(kAbandonCheckMs));
    }
    m_waiting.erase(ticket);
    m_lent += bytes;
    m_changed.notify_all();
    return true;
}

void MemoryShare::giveBack(std::uint64_t bytes)
{
    {
        const std::lock_guard lock(m_mutex);
        m_lent -= std::min(std::min(bytes, m_capacity), m_lent);
    }
    m_changed.notify_all();
}

} // namespace imaging
