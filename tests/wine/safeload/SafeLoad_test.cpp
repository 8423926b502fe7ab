// Where the control takes WTclient.dll from. A private copy of the OCX sits
// in a folder of its own without the library; copies of WTclient.dll are put
// in the current directory, on PATH (by full path, quoted, and relative), in
// the application's folder and next to the OCX. After ConnectOpc the library
// in use is the module named WTclient.dll in the process; the stand-in probe
// leaves a marker file next to every copy of it that was ever loaded.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "tests/wine/common/OcxModule.h"

namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ModulePath(HMODULE m) {
  wchar_t buf[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(m, buf, MAX_PATH);
  return std::wstring(buf, n);
}

std::wstring AppFolder() {
  const std::wstring exe = ModulePath(nullptr);
  return exe.substr(0, exe.find_last_of(L'\\') + 1);
}

// The folder that holds everything this process puts down; gone at the end.
class Sandbox {
 public:
  Sandbox() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    m_root = std::wstring(tmp) + L"velmaric_safeload_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(m_root.c_str(), nullptr);
    for (const wchar_t* d : {L"ocx", L"cwd", L"genuine", L"probe", L"partial", L"dependent"})
      CreateDirectoryW(Dir(d).c_str(), nullptr);
  }
  ~Sandbox() {
    for (const wchar_t* d : {L"ocx", L"cwd", L"genuine", L"probe", L"partial", L"dependent"}) {
      const std::wstring dir = Dir(d);
      WIN32_FIND_DATAW f;
      HANDLE h = FindFirstFileW((dir + L"*").c_str(), &f);
      if (h != INVALID_HANDLE_VALUE) {
        do DeleteFileW((dir + f.cFileName).c_str());
        while (FindNextFileW(h, &f));
        FindClose(h);
      }
      RemoveDirectoryW(dir.c_str());
    }
    RemoveDirectoryW(m_root.c_str());
  }
  std::wstring Dir(const wchar_t* name) const { return m_root + name + L"\\"; }
  const std::wstring& Root() const { return m_root; }

 private:
  std::wstring m_root;
};

// A control made from the private copy of the OCX, as a container would, but
// without the registry.
class SafeLoad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_box = new Sandbox;
    s_ocxCopy = s_box->Dir(L"ocx") + L"Velmaric AE.ocx";
    CopyFileW(OcxPath().c_str(), s_ocxCopy.c_str(), FALSE);
    // Stand-ins and the real library, each in a folder of its own; the
    // planted copy waits in what will be the current directory.
    CopyFileW(BinPath(L"WTclient.dll").c_str(), (s_box->Dir(L"genuine") + L"WTclient.dll").c_str(), FALSE);
    CopyFileW((AppFolder() + L"safeload_probe.dll").c_str(), (s_box->Dir(L"probe") + L"WTclient.dll").c_str(),
              FALSE);
    CopyFileW((AppFolder() + L"safeload_probe.dll").c_str(), (s_box->Dir(L"cwd") + L"WTclient.dll").c_str(),
              FALSE);
    CopyFileW((AppFolder() + L"safeload_partial.dll").c_str(),
              (s_box->Dir(L"partial") + L"WTclient.dll").c_str(), FALSE);
    s_ocx = LoadLibraryW(s_ocxCopy.c_str());
  }
  static void TearDownTestSuite() {
    if (s_ocx) FreeLibrary(s_ocx);
    s_ocx = nullptr;
    delete s_box;
    s_box = nullptr;
  }

  void SetUp() override {
    // The genuine copy serves from its own simulator: this test is about
    // which file is loaded, not about a server in another process.
    SetEnvironmentVariableW(L"WTCLIENT_INPROCESS", L"1");
    ASSERT_NE(s_ocx, nullptr) << "the OCX copy did not load";
    for (const wchar_t* d : {L"genuine", L"probe", L"cwd", L"partial"})
      ASSERT_TRUE(Exists(s_box->Dir(d) + L"WTclient.dll")) << "missing copy in " << d;
    ASSERT_FALSE(Exists(s_box->Dir(L"ocx") + L"WTclient.dll"));
    ASSERT_FALSE(Exists(AppFolder() + L"WTclient.dll")) << "a WTclient.dll is left in the test's folder";
    ASSERT_EQ(GetModuleHandleW(L"WTclient.dll"), nullptr);
    wchar_t buf[32767];
    const DWORD n = GetEnvironmentVariableW(L"PATH", buf, 32767);
    m_savedPath.assign(buf, n);
    GetCurrentDirectoryW(MAX_PATH, buf);
    m_savedCwd = buf;
    ASSERT_TRUE(SetCurrentDirectoryW(s_box->Dir(L"cwd").c_str()));
  }
  void TearDown() override {
    Release();
    SetEnvironmentVariableW(L"PATH", m_savedPath.c_str());
    SetCurrentDirectoryW(m_savedCwd.c_str());
    for (const std::wstring& f : m_placed) DeleteFileW(f.c_str());
    for (const wchar_t* d : {L"genuine", L"probe", L"cwd", L"partial", L"ocx"}) {
      DeleteFileW((s_box->Dir(d) + L"WTclient.dll.loaded").c_str());
      DeleteFileW((s_box->Dir(d) + L"WTclient.dll.connected").c_str());
    }
  }

  // A copy of `from` as WTclient.dll in `folder`, removed after the test.
  void Place(const std::wstring& from, const std::wstring& folder) {
    const std::wstring to = folder + L"WTclient.dll";
    ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE)) << "cannot write " << std::string(to.begin(), to.end());
    m_placed.push_back(to);
    m_placed.push_back(to + L".loaded");
    m_placed.push_back(to + L".connected");
  }

  // Creates the control (its worker loads the library at once), connects,
  // and returns the full path of the WTclient.dll then in the process.
  std::wstring ConnectAndFindLibrary() {
    IClassFactory* factory = nullptr;
    auto get = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(s_ocx, "DllGetClassObject")));
    EXPECT_NE(get, nullptr);
    if (!get || FAILED(get(kClsidVelmaricAE, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
      return L"<no factory>";
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_disp)), S_OK);
    factory->Release();
    if (!m_disp) return L"<no control>";
    VARIANT r;
    VariantInit(&r);
    EXPECT_EQ(CallMethod(m_disp, L"ConnectOpc", &r), S_OK);
    EXPECT_EQ(V_VT(&r), VT_BOOL);
    EXPECT_EQ(V_BOOL(&r), VARIANT_TRUE) << "no usable library was found";
    HMODULE lib = GetModuleHandleW(L"WTclient.dll");
    return lib ? ModulePath(lib) : L"<none loaded>";
  }

  // Destroying the control stops its worker, which then frees the library.
  void Release() {
    if (m_disp) {
      m_disp->Release();
      m_disp = nullptr;
    }
    for (int k = 0; k < 100 && GetModuleHandleW(L"WTclient.dll"); ++k) Sleep(50);
  }

  static std::wstring Copy(const wchar_t* dir) { return s_box->Dir(dir) + L"WTclient.dll"; }
  static bool Loaded(const wchar_t* dir) { return Exists(Copy(dir) + L".loaded"); }
  static bool Used(const wchar_t* dir) { return Exists(Copy(dir) + L".connected"); }

  static Sandbox* s_box;
  static std::wstring s_ocxCopy;
  static HMODULE s_ocx;
  ComScope m_com;
  IDispatch* m_disp = nullptr;
  std::wstring m_savedPath, m_savedCwd;
  std::vector<std::wstring> m_placed;
};

Sandbox* SafeLoad::s_box = nullptr;
std::wstring SafeLoad::s_ocxCopy;
HMODULE SafeLoad::s_ocx = nullptr;

#define EXPECT_SAME_PATH(a, b) EXPECT_EQ(Lower(a), Lower(b))

TEST_F(SafeLoad, PlantedCopyInCurrentDirectoryIsNeverLoaded) {
  // "." and "..\cwd" both name the planted copy's folder; the quoted full
  // path after the empty entry is the only one that counts.
  const std::wstring path = L".;..\\cwd;;\"" + s_box->Dir(L"genuine") + L"\";" + m_savedPath;
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"genuine"));
  EXPECT_FALSE(Loaded(L"cwd")) << "the copy in the current directory was loaded";
  Release();
  EXPECT_EQ(GetModuleHandleW(L"WTclient.dll"), nullptr) << "the library stayed loaded after the control went";

  // The trap is real: a load by bare name, as the control once did, takes
  // the planted copy (and the probe's marker does show a load).
  HMODULE bare = LoadLibraryW(L"WTclient.dll");
  ASSERT_NE(bare, nullptr);
  EXPECT_SAME_PATH(ModulePath(bare), Copy(L"cwd"));
  EXPECT_TRUE(Loaded(L"cwd"));
  FreeLibrary(bare);
}

TEST_F(SafeLoad, GenuineLibraryOnPathIsUsed) {
  const std::wstring path = m_savedPath + L";" + s_box->Dir(L"genuine");
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"genuine"));
  EXPECT_FALSE(Loaded(L"cwd"));
}

TEST_F(SafeLoad, PathEntriesAreTriedInOrder) {
  const std::wstring path = s_box->Dir(L"probe") + L";" + s_box->Dir(L"genuine");
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"probe"));
  EXPECT_TRUE(Used(L"probe"));
}

TEST_F(SafeLoad, LibraryInTheApplicationFolderComesBeforePath) {
  Place(BinPath(L"WTclient.dll"), AppFolder());
  const std::wstring path = s_box->Dir(L"probe") + L";" + m_savedPath;
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), AppFolder() + L"WTclient.dll");
  EXPECT_FALSE(Loaded(L"probe"));
  EXPECT_FALSE(Loaded(L"cwd"));
}

TEST_F(SafeLoad, LibraryNextToTheControlComesFirst) {
  Place(AppFolder() + L"safeload_probe.dll", s_box->Dir(L"ocx"));
  Place(BinPath(L"WTclient.dll"), AppFolder());
  const std::wstring path = s_box->Dir(L"genuine") + L";" + m_savedPath;
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"ocx"));
  EXPECT_TRUE(Used(L"ocx"));
}

TEST_F(SafeLoad, ALibraryWithoutAllEightExportsIsPassedOver) {
  const std::wstring path = s_box->Dir(L"partial") + L";" + s_box->Dir(L"probe");
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"probe"));
  EXPECT_TRUE(Loaded(L"partial")) << "the incomplete copy was not even tried";
  EXPECT_FALSE(Used(L"partial"));
  EXPECT_TRUE(Used(L"probe"));
}

}  // namespace

// A WTclient.dll's own imports come from its folder and the system's, never
// from the current directory: a planted dependency there is not loaded, and
// the copy that needs it is passed over for the next one.
TEST_F(SafeLoad, DependenciesAreNeverTakenFromTheCurrentDirectory) {
  const std::wstring built = AppFolder() + L"dependent\\";
  const std::wstring dependency = L"velmaric_dependency.dll";
  const std::wstring dependent = s_box->Dir(L"dependent");
  Place(built + L"safeload_dependent.dll", dependent);
  const std::wstring planted = s_box->Dir(L"cwd") + dependency;
  ASSERT_TRUE(CopyFileW((built + dependency).c_str(), planted.c_str(), FALSE));
  m_placed.push_back(planted);
  m_placed.push_back(planted + L".loaded");
  const std::wstring path = L"\"" + dependent + L"\";\"" + s_box->Dir(L"genuine") + L"\";" + m_savedPath;
  SetEnvironmentVariableW(L"PATH", path.c_str());
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"genuine"));
  EXPECT_FALSE(Exists(planted + L".loaded")) << "a dependency was loaded from the current directory";
  EXPECT_FALSE(Used(L"dependent"));
  Release();

  // Beside the library, its dependency is found: a vendor's own folder serves.
  const std::wstring beside = dependent + dependency;
  ASSERT_TRUE(CopyFileW((built + dependency).c_str(), beside.c_str(), FALSE));
  m_placed.push_back(beside);
  m_placed.push_back(beside + L".loaded");
  EXPECT_SAME_PATH(ConnectAndFindLibrary(), Copy(L"dependent"));
  EXPECT_TRUE(Exists(beside + L".loaded"));
  EXPECT_FALSE(Exists(planted + L".loaded"));
}
