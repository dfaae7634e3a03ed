#pragma once
// The paced line shared by the simulated board and the program's check of it, in nanoseconds on
// CLOCK_MONOTONIC (one clock for every process on the machine).
//
// The line model. Bytes from the PC cross one after another, each taking one byte time (10 bits
// at the baud rate) from when it was sent or from when the byte before it had crossed, whichever
// is later. A reply crosses one byte time after the byte it answers has crossed, or after the
// previous reply has, whichever is later. So a one-byte exchange takes two byte times, and a
// record of n bytes answered once takes n + 1.
//
// The write-times ring. A program can tell the board when it wrote each byte: just before each
// write() it appends (running count of bytes written before this write, its length, the time) to
// a small file both map. The board then starts each byte's wire time at the program's write time
// instead of at its own wake-up, as a real board receives a byte as it comes off the wire.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <time.h>

inline long monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000L + t.tv_nsec;
}

class WireModel {
public:
    explicit WireModel(int baud) : m_byteNs(baud > 0 ? 10L * 1000000000L / baud : 0) {}
    long byteNs() const { return m_byteNs; }
    // A line that changes speed from the next byte on.
    void setByteNs(long ns) { m_byteNs = ns; }
    // A byte sent at `sentNs` has crossed at the time returned.
    long byteIn(long sentNs)
    {
        m_inDone = std::max(m_inDone, sentNs) + m_byteNs;
        return m_inDone;
    }
    // A reply to the last byte in has crossed at the time returned.
    long replyOut()
    {
        m_outDone = std::max(m_outDone, m_inDone) + m_byteNs;
        return m_outDone;
    }

private:
    long m_byteNs;
    long m_inDone = 0;
    long m_outDone = 0;
};

// The shared file: a header and a ring of the latest writes. Written by one program, read by the
// board; a record is published by the count that follows it, and one the writer may have overwritten
// since (the board more than a ring behind) is not used.
struct WriteTimesFile {
    static constexpr uint64_t kMagic = 0x53454d4954455257ULL; // marks a file of this layout
    static constexpr int kSlots = 4096;
    struct Record {
        std::atomic<int64_t> firstByte;
        std::atomic<int64_t> count;
        std::atomic<int64_t> ns;
    };
    uint64_t magic;
    std::atomic<uint64_t> records; // records published so far
    Record ring[kSlots];
};

// The program's side: creates the file (empty, at `path`) and appends a record before each write.
class WriteTimesWriter {
public:
    explicit WriteTimesWriter(const std::string& path);
    ~WriteTimesWriter();
    WriteTimesWriter(const WriteTimesWriter&) = delete;
    WriteTimesWriter& operator=(const WriteTimesWriter&) = delete;
    bool ok() const { return m_file != nullptr; }
    // `count` bytes are about to be written at `ns`.
    void record(long count, long ns);

private:
    std::string m_path;
    WriteTimesFile* m_file = nullptr;
    int64_t m_bytes = 0;
};

// The board's side: which write time belongs to each byte received.
class WriteTimesReader {
public:
    explicit WriteTimesReader(const std::string& path);
    ~WriteTimesReader();
    WriteTimesReader(const WriteTimesReader&) = delete;
    WriteTimesReader& operator=(const WriteTimesReader&) = delete;
    bool ok() const { return m_file != nullptr; }
    // Why the file was not taken (empty when it was).
    const std::string& error() const { return m_error; }
    // Bytes the program has recorded as written, in total (-1 without a file).
    long bytesRecorded() const;
    // The recorded write time of byte number `index` (0-based, counting every byte the program
    // wrote), or -1 when no usable record holds it.
    long writeTime(long index);

private:
    const WriteTimesFile* m_file = nullptr;
    std::string m_error;
    uint64_t m_cursor = 0; // the record the last byte looked up was in
};
