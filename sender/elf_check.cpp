#include "elf_check.h"

#include <QFile>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The machine, word size and byte order this program was built for.
#if defined(__x86_64__)
constexpr int kMachine = EM_X86_64;
#elif defined(__i386__)
constexpr int kMachine = EM_386;
#elif defined(__aarch64__)
constexpr int kMachine = EM_AARCH64;
#elif defined(__arm__)
constexpr int kMachine = EM_ARM;
#elif defined(__riscv)
constexpr int kMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr int kMachine = EM_PPC64;
#elif defined(__powerpc__)
constexpr int kMachine = EM_PPC;
#elif defined(__s390x__) || defined(__s390__)
constexpr int kMachine = EM_S390;
#elif defined(__loongarch__)
constexpr int kMachine = 258; // EM_LOONGARCH
#elif defined(__mips__)
constexpr int kMachine = EM_MIPS;
#else
constexpr int kMachine = -1; // not known here: the machine is not checked
#endif

#if defined(__LP64__) || defined(_LP64)
constexpr unsigned char kClass = ELFCLASS64;
using Ehdr = Elf64_Ehdr;
using Phdr = Elf64_Phdr;
#else
constexpr unsigned char kClass = ELFCLASS32;
using Ehdr = Elf32_Ehdr;
using Phdr = Elf32_Phdr;
#endif

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kData = ELFDATA2LSB;
#else
constexpr unsigned char kData = ELFDATA2MSB;
#endif

struct MachineName
{
    int machine;
    const char *name;
};
const MachineName kMachineNames[] = {
    {EM_X86_64, "x86-64"}, {EM_386, "x86, 32-bit"},  {EM_AARCH64, "ARM aarch64"}, {EM_ARM, "ARM, 32-bit"},
    {EM_RISCV, "RISC-V"},  {EM_PPC64, "PowerPC 64"}, {EM_PPC, "PowerPC, 32-bit"}, {EM_S390, "IBM Z (s390)"},
    {258, "LoongArch"},    {EM_MIPS, "MIPS"},        {EM_SPARCV9, "SPARC 64"},    {EM_IA_64, "Itanium"},
    {EM_SH, "SuperH"},     {EM_ALPHA, "Alpha"},
};

QString machineName(int machine)
{
    for (const MachineName &m : kMachineNames)
        if (m.machine == machine)
            return QString::fromLatin1(m.name);
    return QStringLiteral("machine type %1").arg(machine);
}

QString typeName(unsigned type)
{
    switch (type) {
    case ET_REL:
        return QStringLiteral("an object file, not yet linked");
    case ET_EXEC:
        return QStringLiteral("a program");
    case ET_CORE:
        return QStringLiteral("a core dump");
    default:
        return QStringLiteral("ELF type %1").arg(type);
    }
}

// Reads exactly size bytes at offset; false on a short read or an error.
bool readAt(int fd, void *buffer, std::size_t size, std::uint64_t offset)
{
    auto *p = static_cast<unsigned char *>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class Fd
{
public:
    explicit Fd(int fd)
        : fd_(fd)
    {
    }
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QString bytesText(std::uint64_t n)
{
    return n == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(n);
}

} // namespace

QString sharedLibraryProblem(const QString &path)
{
    const QString &name = path; // whole: the user learns which file to replace
    // Non-blocking, so that a FIFO in the library's place cannot hold us up.
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return {};
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return {};
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("%1 is not a library file (it is not a regular file)").arg(name);
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0)
        return QStringLiteral("%1 is empty (0 bytes): the library file is damaged; install it again").arg(name);

    unsigned char ident[EI_NIDENT] = {};
    const std::size_t identSize = size < EI_NIDENT ? static_cast<std::size_t>(size) : EI_NIDENT;
    if (!readAt(fd.get(), ident, identSize, 0))
        return QStringLiteral("%1 cannot be read").arg(name);
    if (identSize < SELFMAG || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return QStringLiteral("%1 is not a library (it is not an ELF file)").arg(name);
    if (identSize < EI_NIDENT || size < 20)
        return QStringLiteral("%1 is truncated: it has only %2").arg(name, bytesText(size));

    if ((ident[EI_CLASS] != ELFCLASS32 && ident[EI_CLASS] != ELFCLASS64) ||
        (ident[EI_DATA] != ELFDATA2LSB && ident[EI_DATA] != ELFDATA2MSB))
        return QStringLiteral("%1 is damaged: its ELF header is not valid").arg(name);

    // The machine first: it is the clearest reason. It sits at the same place
    // in 32- and 64-bit files, in the file's own byte order.
    unsigned char machineBytes[2];
    if (!readAt(fd.get(), machineBytes, 2, 18))
        return QStringLiteral("%1 cannot be read").arg(name);
    const int machine = ident[EI_DATA] == ELFDATA2MSB ? (machineBytes[0] << 8 | machineBytes[1])
                                                      : (machineBytes[1] << 8 | machineBytes[0]);
    const QString here = kMachine >= 0 ? machineName(kMachine) : QStringLiteral("this machine");
    if (kMachine >= 0 && machine != kMachine)
        return QStringLiteral("%1 is built for another machine (%2), this program runs on %3")
            .arg(name, machineName(machine), here);
    if (ident[EI_CLASS] != kClass)
        return QStringLiteral("%1 is a %2-bit library, this program is %3-bit")
            .arg(name)
            .arg(ident[EI_CLASS] == ELFCLASS32 ? 32 : 64)
            .arg(kClass == ELFCLASS64 ? 64 : 32);
    if (ident[EI_DATA] != kData)
        return QStringLiteral("%1 is built for another byte order, this program runs on %2").arg(name, here);
    if (ident[EI_VERSION] != EV_CURRENT)
        return QStringLiteral("%1 is damaged: unknown ELF version %2").arg(name).arg(ident[EI_VERSION]);

    Ehdr header;
    if (size < sizeof header)
        return QStringLiteral("%1 is truncated: it has only %2").arg(name, bytesText(size));
    if (!readAt(fd.get(), &header, sizeof header, 0))
        return QStringLiteral("%1 cannot be read").arg(name);
    if (header.e_type != ET_DYN)
        return QStringLiteral("%1 is not a shared library (it is %2)").arg(name, typeName(header.e_type));
    if (header.e_phnum == 0 || header.e_phnum == PN_XNUM || header.e_phentsize != sizeof(Phdr))
        return QStringLiteral("%1 is damaged: its program headers are missing or malformed").arg(name);
    const std::uint64_t tableEnd =
        static_cast<std::uint64_t>(header.e_phoff) + std::uint64_t(header.e_phnum) * sizeof(Phdr);
    if (header.e_phoff > size || tableEnd > size)
        return QStringLiteral("%1 is truncated: its program headers end at byte %2, the file has only %3")
            .arg(name)
            .arg(tableEnd)
            .arg(bytesText(size));

    // At most 65534 headers of 56 bytes: read one at a time.
    bool anyLoad = false;
    std::uint64_t needed = 0;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Phdr ph;
        if (!readAt(fd.get(), &ph, sizeof ph, header.e_phoff + std::uint64_t(i) * sizeof ph))
            return QStringLiteral("%1 cannot be read").arg(name);
        if (ph.p_type != PT_LOAD)
            continue;
        anyLoad = true;
        const std::uint64_t offset = ph.p_offset, length = ph.p_filesz;
        const std::uint64_t end = offset > UINT64_MAX - length ? UINT64_MAX : offset + length;
        if (end > needed)
            needed = end;
    }
    if (!anyLoad)
        return QStringLiteral("%1 is damaged: it has nothing to load").arg(name);
    if (needed > size)
        return QStringLiteral("%1 is truncated: it needs %2, the file has only %3")
            .arg(name, bytesText(needed), bytesText(size));
    return {};
}
