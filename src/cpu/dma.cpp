#include "cpu/dma.h"

#include <array>

namespace {

constexpr std::uint8_t B_TO_A = 0x80;
constexpr std::uint8_t FIXED_A_ADDRESS = 0x08;
constexpr std::uint8_t DECREMENT_A_ADDRESS = 0x10;

// For each transfer mode, the B-bus register each byte of a group of four
// goes to, after the channel's B address.
constexpr std::array<std::array<std::uint8_t, 4>, 8> B_ADDRESS_STEPS = {{
    {0, 0, 0, 0},
    {0, 1, 0, 1},
    {0, 0, 0, 0},
    {0, 0, 1, 1},
    {0, 1, 2, 3},
    {0, 1, 0, 1},
    {0, 0, 0, 0},
    {0, 0, 1, 1},
}};

// The A bus cannot reach the B bus and the CPU's own registers.
bool ReachesRegisters(std::uint32_t address) {
  if ((address & 0x400000) != 0) {
    return false;
  }
  const std::uint32_t offset = address & 0xFFFF;
  return (offset >= 0x2100 && offset < 0x2200) || (offset >= 0x4000 && offset < 0x4220) ||
         (offset >= 0x4300 && offset < 0x4380);
}

bool IsWorkRam(std::uint32_t address) {
  const std::uint32_t bank = address >> 16;
  return bank == 0x7E || bank == 0x7F || ((bank & 0x40) == 0 && (address & 0xFFFF) < 0x2000);
}

// One byte between the A address and B register $21xx.
void TransferByte(Bus& bus, std::uint32_t aAddress, std::uint8_t bRegister, std::uint8_t control) {
  // WRAM to its own port moves nothing.
  const bool valid = !ReachesRegisters(aAddress) && !(bRegister == 0x80 && IsWorkRam(aAddress));
  const std::uint32_t bAddress = 0x2100u | bRegister;
  if ((control & B_TO_A) == 0) {
    const std::uint8_t value = valid ? ReadBus(bus, aAddress) : bus.openBus;
    if (valid) {
      WriteBus(bus, bAddress, value);
    }
  } else {
    const std::uint8_t value = valid ? ReadBus(bus, bAddress) : bus.openBus;
    if (valid) {
      WriteBus(bus, aAddress, value);
    }
  }
}

void RunChannel(Bus& bus, DmaChannel& channel) {
  const auto& steps = B_ADDRESS_STEPS.at(channel.control & 0x07);
  std::uint32_t remaining = channel.count == 0 ? 0x10000 : channel.count;
  for (std::uint32_t index = 0; remaining > 0; ++index, --remaining) {
    const auto bRegister = static_cast<std::uint8_t>(channel.busBAddress + steps.at(index & 3));
    TransferByte(bus, static_cast<std::uint32_t>(channel.bank) << 16 | channel.address, bRegister,
                 channel.control);
    if ((channel.control & FIXED_A_ADDRESS) == 0) {
      const int step = (channel.control & DECREMENT_A_ADDRESS) != 0 ? -1 : 1;
      channel.address = static_cast<std::uint16_t>(channel.address + step);
    }
  }
  bus.dmaBytes += channel.count == 0 ? 0x10000 : channel.count;
  channel.count = 0;
}

}  // namespace

void RunDma(Bus& bus, std::uint8_t channels) {
  for (std::size_t index = 0; index < bus.dma.size(); ++index) {
    if ((channels >> index & 1) != 0) {
      RunChannel(bus, bus.dma.at(index));
    }
  }
}
