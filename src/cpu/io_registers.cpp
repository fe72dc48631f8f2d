#include "cpu/io_registers.h"

#include "cpu/dma.h"

namespace {

// $2115: bit 7 chooses the byte after which the address steps (0: the low
// byte, $2118/$2139; 1: the high byte, $2119/$213A), bits 0-1 the step, bits
// 2-3 the remapping of the address.
constexpr std::uint8_t STEP_AFTER_HIGH_BYTE = 0x80;

std::uint16_t VideoStep(const Bus& bus) {
  switch (bus.videoPortControl & 0x03) {
    case 0:
      return 1;
    case 1:
      return 32;
    default:
      return 128;
  }
}

// The remapping rotates the low 8, 9 or 10 bits of the word address left by
// three, as a program that writes 2-, 4- or 8-bit characters a row at a time
// wants them laid out.
std::uint16_t RemappedVideoAddress(const Bus& bus) {
  const std::uint16_t address = bus.videoAddress;
  const int bits = 7 + ((bus.videoPortControl >> 2) & 0x03);
  if (bits == 7) {
    return address;
  }
  const std::uint16_t field = static_cast<std::uint16_t>((1u << bits) - 1);
  const std::uint16_t low = address & field;
  const std::uint16_t rotated =
      static_cast<std::uint16_t>(((low << 3) | (low >> (bits - 3))) & field);
  return static_cast<std::uint16_t>((address & ~field) | rotated);
}

std::size_t VideoByteOffset(const Bus& bus) {
  return static_cast<std::size_t>(RemappedVideoAddress(bus) & 0x7FFF) * 2;
}

void FillVideoReadLatch(Bus& bus) {
  const std::size_t at = VideoByteOffset(bus);
  bus.videoReadLatch =
      static_cast<std::uint16_t>(bus.videoRam.at(at) | bus.videoRam.at(at + 1) << 8);
}

void WriteVideoByte(Bus& bus, std::size_t highByte, std::uint8_t value) {
  bus.videoRam.at(VideoByteOffset(bus) + highByte) = value;
  const bool stepsHere = ((bus.videoPortControl & STEP_AFTER_HIGH_BYTE) != 0) == (highByte == 1);
  if (stepsHere) {
    bus.videoAddress = static_cast<std::uint16_t>(bus.videoAddress + VideoStep(bus));
  }
}

// A read gives the latched word's byte; when the address steps, the latch
// first takes the word at the address, then the address steps.
std::uint8_t ReadVideoByte(Bus& bus, std::size_t highByte) {
  const auto value = static_cast<std::uint8_t>(bus.videoReadLatch >> (8 * highByte));
  const bool stepsHere = ((bus.videoPortControl & STEP_AFTER_HIGH_BYTE) != 0) == (highByte == 1);
  if (stepsHere) {
    FillVideoReadLatch(bus);
    bus.videoAddress = static_cast<std::uint16_t>(bus.videoAddress + VideoStep(bus));
  }
  return value;
}

// CGRAM takes a colour whole: the low byte waits in the latch until the high
// byte comes, whose bit 7 is not stored.
void WriteColourByte(Bus& bus, std::uint8_t value) {
  if ((bus.colourAddress & 1) == 0) {
    bus.colourLatch = value;
  } else {
    bus.colourRam.at(bus.colourAddress - 1u) = bus.colourLatch;
    bus.colourRam.at(bus.colourAddress) = value & 0x7F;
  }
  bus.colourAddress = (bus.colourAddress + 1) & 0x1FF;
}

std::uint8_t ReadColourByte(Bus& bus) {
  std::uint8_t value = bus.colourRam.at(bus.colourAddress);
  if ((bus.colourAddress & 1) != 0) {
    value = static_cast<std::uint8_t>((value & 0x7F) | (bus.openBus & 0x80));
  }
  bus.colourAddress = (bus.colourAddress + 1) & 0x1FF;
  return value;
}

std::uint8_t ReadWorkRamPort(Bus& bus) {
  const std::uint8_t value = bus.workRam.at(bus.workRamPortAddress & 0x1FFFF);
  bus.workRamPortAddress = (bus.workRamPortAddress + 1) & 0x1FFFF;
  return value;
}

void WriteWorkRamPort(Bus& bus, std::uint8_t value) {
  bus.workRam.at(bus.workRamPortAddress & 0x1FFFF) = value;
  bus.workRamPortAddress = (bus.workRamPortAddress + 1) & 0x1FFFF;
}

void SetByte(std::uint32_t& word, int index, std::uint8_t value) {
  const std::uint32_t shift = 8u * static_cast<std::uint32_t>(index);
  word = (word & ~(0xFFu << shift)) | static_cast<std::uint32_t>(value) << shift;
}

void SetWorkRamPortByte(Bus& bus, int index, std::uint8_t value) {
  SetByte(bus.workRamPortAddress, index, index == 2 ? value & 0x01 : value);
}

void SetVideoAddressByte(Bus& bus, int index, std::uint8_t value) {
  std::uint32_t address = bus.videoAddress;
  SetByte(address, index, value);
  bus.videoAddress = static_cast<std::uint16_t>(address);
  FillVideoReadLatch(bus);
}

// The multiplier leaves its second factor and the first in the quotient,
// as the console's does.
void Multiply(Bus& bus, std::uint8_t factor) {
  bus.product = static_cast<std::uint16_t>(bus.multiplicand * factor);
  bus.quotient = static_cast<std::uint16_t>(factor << 8 | bus.multiplicand);
}

void Divide(Bus& bus, std::uint8_t divisor) {
  if (divisor == 0) {
    bus.quotient = 0xFFFF;
    bus.product = bus.dividend;
    return;
  }
  bus.quotient = static_cast<std::uint16_t>(bus.dividend / divisor);
  bus.product = static_cast<std::uint16_t>(bus.dividend % divisor);
}

// The 16 registers of a channel from $43x0: $43x7-$43xB in `other`, $43xF the
// same byte as $43xB, $43xC-$43xE nothing.
std::uint8_t* DmaRegister(Bus& bus, std::uint16_t offset) {
  DmaChannel& channel = bus.dma.at((offset >> 4) & 0x07);
  const int index = offset & 0x0F;
  switch (index) {
    case 0x0:
      return &channel.control;
    case 0x1:
      return &channel.busBAddress;
    case 0x4:
      return &channel.bank;
    case 0xC:
    case 0xD:
    case 0xE:
      return nullptr;
    case 0xF:
      return &channel.other.at(4);
    default:
      return index >= 7 ? &channel.other.at(static_cast<std::size_t>(index - 7)) : nullptr;
  }
}

// The 16-bit fields of a channel: the A-bus address at $43x2 and the count at
// $43x5.
std::uint16_t* DmaWord(Bus& bus, std::uint16_t offset, int& byteIndex) {
  DmaChannel& channel = bus.dma.at((offset >> 4) & 0x07);
  const int index = offset & 0x0F;
  if (index == 2 || index == 3) {
    byteIndex = index - 2;
    return &channel.address;
  }
  if (index == 5 || index == 6) {
    byteIndex = index - 5;
    return &channel.count;
  }
  return nullptr;
}

std::optional<std::uint8_t> ReadDmaRegister(Bus& bus, std::uint16_t offset) {
  int byteIndex = 0;
  if (const std::uint16_t* word = DmaWord(bus, offset, byteIndex)) {
    return static_cast<std::uint8_t>(*word >> (8 * byteIndex));
  }
  if (const std::uint8_t* value = DmaRegister(bus, offset)) {
    return *value;
  }
  return bus.openBus;
}

void WriteDmaRegister(Bus& bus, std::uint16_t offset, std::uint8_t value) {
  int byteIndex = 0;
  if (std::uint16_t* word = DmaWord(bus, offset, byteIndex)) {
    std::uint32_t whole = *word;
    SetByte(whole, byteIndex, value);
    *word = static_cast<std::uint16_t>(whole);
  } else if (std::uint8_t* field = DmaRegister(bus, offset)) {
    *field = value;
  }
}

bool IsPpuRegister(std::uint16_t offset) { return offset >= 0x2100 && offset < 0x2180; }
bool IsWorkRamPort(std::uint16_t offset) { return offset >= 0x2180 && offset < 0x2184; }
bool IsJoypadRegister(std::uint16_t offset) { return offset == 0x4016 || offset == 0x4017; }
bool IsCpuRegister(std::uint16_t offset) { return offset >= 0x4200 && offset < 0x4220; }
bool IsDmaRegister(std::uint16_t offset) { return offset >= 0x4300 && offset < 0x4380; }

}  // namespace

std::optional<std::uint8_t> ReadRegister(Bus& bus, std::uint16_t offset) {
  switch (offset) {
    case 0x2139:
      return ReadVideoByte(bus, 0);
    case 0x213A:
      return ReadVideoByte(bus, 1);
    case 0x213B:
      return ReadColourByte(bus);
    case 0x2180:
      return ReadWorkRamPort(bus);
    case 0x4214:
    case 0x4215:
      return static_cast<std::uint8_t>(bus.quotient >> (8 * (offset - 0x4214)));
    case 0x4216:
    case 0x4217:
      return static_cast<std::uint8_t>(bus.product >> (8 * (offset - 0x4216)));
    default:
      break;
  }
  if (IsDmaRegister(offset)) {
    return ReadDmaRegister(bus, offset);
  }
  if (IsPpuRegister(offset) || IsWorkRamPort(offset) || IsJoypadRegister(offset) ||
      IsCpuRegister(offset)) {
    return bus.openBus;
  }
  return std::nullopt;
}

bool WriteRegister(Bus& bus, std::uint16_t offset, std::uint8_t value) {
  switch (offset) {
    case 0x2115:
      bus.videoPortControl = value;
      return true;
    case 0x2116:
    case 0x2117:
      SetVideoAddressByte(bus, offset - 0x2116, value);
      return true;
    case 0x2118:
    case 0x2119:
      WriteVideoByte(bus, offset - 0x2118u, value);
      return true;
    case 0x2121:
      bus.colourAddress = static_cast<std::uint16_t>(value * 2);
      return true;
    case 0x2122:
      WriteColourByte(bus, value);
      return true;
    case 0x2180:
      WriteWorkRamPort(bus, value);
      return true;
    case 0x2181:
    case 0x2182:
    case 0x2183:
      SetWorkRamPortByte(bus, offset - 0x2181, value);
      return true;
    case 0x4202:
      bus.multiplicand = value;
      return true;
    case 0x4203:
      Multiply(bus, value);
      return true;
    case 0x4204:
    case 0x4205: {
      std::uint32_t dividend = bus.dividend;
      SetByte(dividend, offset - 0x4204, value);
      bus.dividend = static_cast<std::uint16_t>(dividend);
      return true;
    }
    case 0x4206:
      Divide(bus, value);
      return true;
    case 0x420B:
      RunDma(bus, value);
      return true;
    default:
      break;
  }
  if (IsDmaRegister(offset)) {
    WriteDmaRegister(bus, offset, value);
    return true;
  }
  return IsPpuRegister(offset) || IsWorkRamPort(offset) || IsJoypadRegister(offset) ||
         IsCpuRegister(offset);
}
