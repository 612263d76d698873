// What one picture may cost a conversion worker, enforced by the program
// (time) and by the kernel (memory), never by trusting the decoder; and the
// share of the machine's memory that the pictures converted at once hold
// together.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>

namespace imaging {

struct WorkerBudget {
    // Wall time for one picture: a base plus a share per declared megapixel,
    // generous for honest pictures (a 100-megapixel PNG takes a few seconds).
    std::chrono::milliseconds baseTime{15'000};
    std::chrono::milliseconds timePerMegapixel{300};
    // And per megapixel of the outputs: a photo enlarged to 16383 x 9215
    // (151 megapixels) takes 45 s of processor time, and a machine busy with
    // other work gives it a fraction of a core.
    std::chrono::milliseconds timePerOutputMegapixel{3000};

    // The address space a worker may take on for one picture, over what it
    // holds between pictures: a base for the decoders' tables and the
    // output, a stack for each of libvips' threads, a share per declared
    // pixel (the most an honest decoder holds at once, ImageMagick's 16-bit
    // RGBA cache and the picture libvips copies from it), and the source file,
    // which the worker maps whole.
    std::uint64_t baseMemory = 192ull << 20;
    std::uint64_t memoryPerThread = 16ull << 20;
    std::uint64_t memoryPerPixel = 24;
    // Each output pixel: the picture at its size, the encoder's copy
    // (ImageMagick's 16-bit RGBA for a BMP) and the encoded bytes twice.
    std::uint64_t memoryPerOutputPixel = 24;
    // A source made into several sizes is held decoded for them: at most four
    // bands of 32 bits each per pixel.
    std::uint64_t memoryPerHeldPixel = 16;
    // The most address space a worker may hold at all (its hard RLIMIT_AS),
    // so also the most one picture gets; 0 for machineMemoryShare().
    std::uint64_t memoryBytes = 0;

    // Never overflows: a declared size of any magnitude gets at most a day.
    std::chrono::milliseconds timeFor(std::int64_t declaredPixels, std::uint64_t outputPixels = 0) const;
    // What a picture may add with `threads` libvips threads, made into
    // outputs of `outputPixels` in all (held decoded when `held`), at most
    // memoryBytes (once set); never overflows.
    std::uint64_t memoryFor(std::int64_t declaredPixels, std::uint64_t sourceBytes, int threads,
                            std::uint64_t outputPixels = 0, bool held = false) const;
};

// Three quarters of the machine's physical memory: what the pictures this
// process converts at once may take together.
std::uint64_t machineMemoryShare();

// Memory lent to the pictures under way. Each picture takes its budget
// before it is handed to a worker and gives it back when it ends, so that
// pictures converted side by side stay within the share however many workers
// run; a picture that does not fit waits until enough is back, in the order
// the pictures asked. A picture never gets less than its budget because others
// run, so whether it converts does not depend on them.
class MemoryShare {
public:
    explicit MemoryShare(std::uint64_t capacity) : m_capacity(capacity) { }
    MemoryShare(const MemoryShare &) = delete;
    MemoryShare &operator=(const MemoryShare &) = delete;

    // The share of this process, machineMemoryShare() bytes.
    static MemoryShare &processShare();

    std::uint64_t capacity() const { return m_capacity; }
    std::uint64_t lent() const;
    // How many pictures wait for their memory.
    std::size_t waiting() const;
    // Waits until `bytes` (at most the capacity) can be lent; false, with
    // nothing lent, once `abandon` is set.
    bool take(std::uint64_t bytes, const std::atomic<bool> *abandon);
    void giveBack(std::uint64_t bytes);

private:
    const std::uint64_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_lent = 0;
    std::uint64_t m_nextTicket = 0;
    std::set<std::uint64_t> m_waiting;
};

} // namespace imaging
