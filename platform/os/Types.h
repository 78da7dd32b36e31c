#pragma once
// The handful of Windows-style scalar types the program's interfaces use.
// Values keep their Windows meaning: BOOL is 1 or 0, message ids, WPARAM and
// LPARAM are pointer-sized so handles and pointers fit.
#include <cstdint>

using BOOL = int;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HRESULT = std::int32_t;

// Opaque handles: the layer hands these out and takes them back.
using HANDLE = void*;
using HMODULE = void*;
using HINSTANCE = void*;
// A message target (window) handle; handed out by the message-queue registry.
using HWND = struct HWND__*;
using UINT_PTR = std::uintptr_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

constexpr DWORD INFINITE = 0xFFFFFFFFu;
