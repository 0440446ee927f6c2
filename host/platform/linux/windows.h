// Stand-in for <windows.h> on Linux: the Windows types the plug-in spells, and declarations of the
// few Windows calls it makes. The host library implements the calls (string table of the loaded
// module, common controls, the rollout's window model), so plug-in source builds unchanged here and
// against the real headers on Windows.
#pragma once

#include <cstdint>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
typedef unsigned int UINT;
// 32-bit, as on Windows, so host structures have the same layout on both platforms.
typedef std::uint32_t ULONG;
typedef std::uint32_t DWORD;
typedef std::uint64_t ULONGLONG;
typedef std::uintptr_t ULONG_PTR;
typedef unsigned short WORD;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;
typedef void* LPVOID;
typedef wchar_t WCHAR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;
typedef std::uint32_t COLORREF;

struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HWND__;
typedef HWND__* HWND;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;

#define WINAPI
#define CALLBACK
#define APIENTRY

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define LOWORD(l) ((WORD)(((std::uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((std::uintptr_t)(l)) >> 16) & 0xffff))
#define RGB(r, g, b) ((COLORREF)(((unsigned)(r) & 0xff) | (((unsigned)(g) & 0xff) << 8) | (((unsigned)(b) & 0xff) << 16)))

#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_DESTROY 0x0002
// WM_COMMAND notification codes (the high word of wParam).
#define BN_CLICKED 0
#define EN_CHANGE 0x0300
#define WM_USER 0x0400
#define SW_HIDE 0

// Loads string `id` of `instance`'s string table into `buffer` (capacity `bufferMax` characters,
// terminator included); returns the number of characters copied, 0 when there is no such string.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
HWND GetDlgItem(HWND dialog, int id);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
