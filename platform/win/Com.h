// COM: apartment initialisation per thread, class instantiation and the interfaces of
// the shell link object.
#pragma once

#include <cstdint>

#include "platform/win/System.h"
#include "platform/win/WinTypes.h"

using ULONG = uint32_t;
using LPCOLESTR = const WCHAR*;
using LPOLESTR = WCHAR*;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
bool operator==(const GUID& a, const GUID& b);
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003u);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005u);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HRESULT_FROM_WIN32(DWORD e)
{
    return e == 0 ? S_OK : static_cast<HRESULT>((e & 0xFFFFu) | 0x80070000u);
}

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

// {00021401-0000-0000-C000-000000000046}
extern const CLSID CLSID_ShellLink;
// {00000000-0000-0000-C000-000000000046}
extern const IID IID_IUnknown;
// {000214EE-0000-0000-C000-000000000046}
extern const IID IID_IShellLinkA;
// {0000010C-0000-0000-C000-000000000046}
extern const IID IID_IPersist;
// {0000010B-0000-0000-C000-000000000046}
extern const IID IID_IPersistFile;

class IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

struct SHITEMID {
    uint16_t cb;
    uint8_t abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

constexpr DWORD SLR_NO_UI = 0x0001;
using HWND = intptr_t;

// The shell link's ANSI interface. Strings are copied; a null string counts as empty.
class IShellLinkA : public IUnknown {
public:
    virtual HRESULT GetPath(char* pszFile, int cch, void* pfd, DWORD fFlags) = 0;
    virtual HRESULT GetIDList(LPITEMIDLIST* ppidl) = 0;
    virtual HRESULT SetIDList(LPCITEMIDLIST pidl) = 0;
    virtual HRESULT GetDescription(char* pszName, int cch) = 0;
    virtual HRESULT SetDescription(const char* pszName) = 0;
    virtual HRESULT GetWorkingDirectory(char* pszDir, int cch) = 0;
    virtual HRESULT SetWorkingDirectory(const char* pszDir) = 0;
    virtual HRESULT GetArguments(char* pszArgs, int cch) = 0;
    virtual HRESULT SetArguments(const char* pszArgs) = 0;
    virtual HRESULT GetHotkey(WORD* pwHotkey) = 0;
    virtual HRESULT SetHotkey(WORD wHotkey) = 0;
    virtual HRESULT GetShowCmd(int* piShowCmd) = 0;
    virtual HRESULT SetShowCmd(int iShowCmd) = 0;
    virtual HRESULT GetIconLocation(char* pszIconPath, int cch, int* piIcon) = 0;
    virtual HRESULT SetIconLocation(const char* pszIconPath, int iIcon) = 0;
    virtual HRESULT SetRelativePath(const char* pszPathRel, DWORD dwReserved) = 0;
    virtual HRESULT Resolve(HWND hwnd, DWORD fFlags) = 0;
    virtual HRESULT SetPath(const char* pszFile) = 0;
};

class IPersist : public IUnknown {
public:
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;
};

constexpr DWORD STGM_READ = 0x0;

class IPersistFile : public IPersist {
public:
    virtual HRESULT IsDirty() = 0;
    // Reads a shortcut file into the object.
    virtual HRESULT Load(LPCOLESTR pszFileName, DWORD dwMode) = 0;
    // Writes the object as a shortcut file at the path (created or replaced whole); fails
    // with STG_E_PATHNOTFOUND when the folder does not exist.
    virtual HRESULT Save(LPCOLESTR pszFileName, BOOL fRemember) = 0;
    virtual HRESULT SaveCompleted(LPCOLESTR pszFileName) = 0;
    virtual HRESULT GetCurFile(LPOLESTR* ppszFileName) = 0;
};

// Per thread and counted: the first call on a thread returns S_OK, later ones S_FALSE;
// each needs a CoUninitialize.
HRESULT CoInitialize(void* pvReserved);
void CoUninitialize();
// Without CoInitialize on the calling thread: CO_E_NOTINITIALIZED. Known class:
// CLSID_ShellLink (in-process server). An outer object: CLASS_E_NOAGGREGATION.
HRESULT CoCreateInstance(const CLSID& rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, const IID& riid, void** ppv);

// Task memory (id lists, strings handed out by the shell).
void* CoTaskMemAlloc(size_t cb);
void CoTaskMemFree(void* pv);

// Objects created by CoCreateInstance and not yet released, over all threads (for checks
// that every interface is released).
long ComLiveObjectCount();
