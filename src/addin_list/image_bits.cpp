#include "addin_list/image_bits.h"

namespace {

constexpr std::uint16_t kMachineX86 = 0x014C;
constexpr std::uint16_t kMachineX64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr size_t kPeHeaderOffsetAt = 0x3C;  // IMAGE_DOS_HEADER.e_lfanew

std::uint32_t LittleEndian(const std::vector<std::uint8_t>& bytes, size_t at, size_t size)
{
    std::uint32_t value = 0;
    for (size_t i = size; i > 0; --i) {
        value = (value << 8) | bytes[at + i - 1];
    }
    return value;
}

}  // namespace

std::optional<int> ImageBits(const std::vector<std::uint8_t>& head)
{
    if (head.size() < kPeHeaderOffsetAt + 4 || head[0] != 'M' || head[1] != 'Z') {
        return std::nullopt;
    }
    const std::uint32_t pe = LittleEndian(head, kPeHeaderOffsetAt, 4);
    // The signature, then IMAGE_FILE_HEADER.Machine.
    if (pe > head.size() || head.size() - pe < 6 || head[pe] != 'P' || head[pe + 1] != 'E' ||
        head[pe + 2] != 0 || head[pe + 3] != 0) {
        return std::nullopt;
    }
    switch (LittleEndian(head, pe + 4, 2)) {
    case kMachineX86: return 32;
    case kMachineX64:
    case kMachineArm64: return 64;
    default: return std::nullopt;
    }
}
