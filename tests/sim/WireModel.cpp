#include "WireModel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/mman.h>
#include <unistd.h>

WriteTimesWriter::WriteTimesWriter(const std::string& path) : m_path(path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return;
    if (::ftruncate(fd, sizeof(WriteTimesFile)) == 0) {
        void* p = ::mmap(nullptr, sizeof(WriteTimesFile), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED) {
            m_file = static_cast<WriteTimesFile*>(p);
            m_file->magic = WriteTimesFile::kMagic;
        }
    }
    ::close(fd);
}

WriteTimesWriter::~WriteTimesWriter()
{
    if (m_file)
        ::munmap(m_file, sizeof(WriteTimesFile));
    ::unlink(m_path.c_str());
}

void WriteTimesWriter::record(long count, long ns)
{
    if (!m_file || count <= 0)
        return;
    const uint64_t n = m_file->records.load(std::memory_order_relaxed);
    WriteTimesFile::Record& r = m_file->ring[n % WriteTimesFile::kSlots];
    r.firstByte.store(m_bytes, std::memory_order_relaxed);
    r.count.store(count, std::memory_order_relaxed);
    r.ns.store(ns, std::memory_order_relaxed);
    m_file->records.store(n + 1, std::memory_order_release);
    m_bytes += count;
}

WriteTimesReader::WriteTimesReader(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        m_error = std::strerror(errno);
        return;
    }
    // A mapping reaches past the end of a shorter file, and reading there is a bus error.
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        m_error = std::strerror(errno);
    else if (st.st_size < static_cast<off_t>(sizeof(WriteTimesFile)))
        m_error = "it holds " + std::to_string(st.st_size) + " bytes, not the " + std::to_string(sizeof(WriteTimesFile)) +
                  " of a write-times file";
    if (!m_error.empty()) {
        ::close(fd);
        return;
    }
    void* p = ::mmap(nullptr, sizeof(WriteTimesFile), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) {
        m_error = std::strerror(errno);
        return;
    }
    m_file = static_cast<const WriteTimesFile*>(p);
    if (m_file->magic != WriteTimesFile::kMagic) {
        ::munmap(p, sizeof(WriteTimesFile));
        m_file = nullptr;
        m_error = "it is not a write-times file";
    }
}

WriteTimesReader::~WriteTimesReader()
{
    if (m_file)
        ::munmap(const_cast<WriteTimesFile*>(m_file), sizeof(WriteTimesFile));
}

long WriteTimesReader::bytesRecorded() const
{
    if (!m_file)
        return -1;
    const uint64_t n = m_file->records.load(std::memory_order_acquire);
    if (n == 0)
        return 0;
    const WriteTimesFile::Record& r = m_file->ring[(n - 1) % WriteTimesFile::kSlots];
    return r.firstByte.load(std::memory_order_relaxed) + r.count.load(std::memory_order_relaxed);
}

long WriteTimesReader::writeTime(long index)
{
    if (!m_file)
        return -1;
    const uint64_t n = m_file->records.load(std::memory_order_acquire);
    if (n == 0)
        return -1;
    // The slot of the oldest record may be being rewritten with the next one.
    const uint64_t oldest = n >= WriteTimesFile::kSlots ? n - WriteTimesFile::kSlots + 1 : 0;
    uint64_t c = std::max(m_cursor, oldest);
    if (c >= n)
        c = n - 1;
    // Records are in byte order: step back or forward to the one holding the byte.
    auto first = [&](uint64_t i) { return m_file->ring[i % WriteTimesFile::kSlots].firstByte.load(std::memory_order_relaxed); };
    while (c > oldest && first(c) > index)
        --c;
    while (c + 1 < n && first(c + 1) <= index)
        ++c;
    const WriteTimesFile::Record& r = m_file->ring[c % WriteTimesFile::kSlots];
    const long firstByte = r.firstByte.load(std::memory_order_relaxed);
    const long count = r.count.load(std::memory_order_relaxed);
    const long ns = r.ns.load(std::memory_order_relaxed);
    // The writer may have reused the slot while it was read.
    if (m_file->records.load(std::memory_order_acquire) - c >= WriteTimesFile::kSlots)
        return -1;
    m_cursor = c;
    return index >= firstByte && index < firstByte + count ? ns : -1;
}
