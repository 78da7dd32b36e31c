#pragma once
// Fuzz targets of the catalogue's reply readers: any bytes, read by length,
// never overrun, throw or leave a text unterminated.
#include <cstddef>
#include <cstdint>

int FuzzCategories(const std::uint8_t* data, std::size_t size);
int FuzzCategorySounds(const std::uint8_t* data, std::size_t size);
int FuzzEffectList(const std::uint8_t* data, std::size_t size);
int FuzzEffectDetail(const std::uint8_t* data, std::size_t size);
