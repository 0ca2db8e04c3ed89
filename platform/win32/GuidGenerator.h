#pragma once
#include "platform/win32/ComGuid.h"
#include "platform/win32/ComResult.h"

#include <functional>

// New random GUIDs.
namespace win32
{

// Fills `pguid` with a new random identifier (version 4: 122 random bits from the system's
// random source). S_OK on success; E_POINTER for a null pointer; E_FAIL, with `pguid`
// untouched, when the random source cannot be read.
HRESULT CoCreateGuid(GUID* pguid);

// Test seam: while set, CoCreateGuid hands its call to `generator` instead of the random
// source. An empty function restores the real generator.
void SetGuidGenerator(std::function<HRESULT(GUID*)> generator);

// Reads `size` bytes from the system's random source into `bytes`; false when it cannot.
bool ReadSystemRandom(void* bytes, size_t size);

} // namespace win32
