/* Registration of the proxy/stub DLL. A machine with another product's OPC
 * proxies (the OPC Foundation's core components, say) already marshals these
 * interfaces: such an entry is never replaced, and unregistering removes only
 * the entries that name our own proxy class. */
#include <windows.h>
#include <rpcproxy.h>
#include <olectl.h>

extern const ProxyFileInfo *aProxyFileList[];
extern const CLSID CLSID_PSFactoryBuffer;

static HMODULE ThisModule(void) {
  HMODULE module = NULL;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     (LPCWSTR)&ThisModule, &module);
  return module;
}

static LONG SetDefault(HKEY root, const WCHAR *subkey, const WCHAR *value) {
  return RegSetKeyValueW(root, subkey, NULL, REG_SZ, value, (DWORD)((lstrlenW(value) + 1) * sizeof(WCHAR)));
}

/* The proxy class an interface names now, or an empty string. */
static void CurrentProxy(const WCHAR *iidKey, WCHAR *out, DWORD chars) {
  WCHAR key[96];
  DWORD bytes = chars * sizeof(WCHAR);
  out[0] = 0;
  wsprintfW(key, L"%s\\ProxyStubClsid32", iidKey);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, NULL, RRF_RT_REG_SZ, NULL, out, &bytes) != ERROR_SUCCESS) out[0] = 0;
}

typedef LONG (*InterfaceVisitor)(const IID *iid, const char *name, ULONG methods, const WCHAR *ours);

static LONG ForEachInterface(InterfaceVisitor visit, const WCHAR *ours) {
  for (const ProxyFileInfo **file = aProxyFileList; *file; ++file) {
    for (unsigned short i = 0; i < (*file)->TableSize; ++i) {
      const CInterfaceStubHeader *header = &(*file)->pStubVtblList[i]->header;
      const LONG error = visit(header->piid, (*file)->pNamesArray[i], header->DispatchTableCount, ours);
      if (error != ERROR_SUCCESS) return error;
    }
  }
  return ERROR_SUCCESS;
}

static void InterfaceKey(const IID *iid, WCHAR *key) {
  WCHAR text[40];
  StringFromGUID2(iid, text, 40);
  wsprintfW(key, L"Interface\\%s", text);
}

static LONG RegisterOne(const IID *iid, const char *name, ULONG methods, const WCHAR *ours) {
  WCHAR key[64], sub[96], current[64], wname[64], count[16];
  InterfaceKey(iid, key);
  CurrentProxy(key, current, 64);
  if (current[0] && lstrcmpiW(current, ours) != 0) return ERROR_SUCCESS; /* another product's */
  MultiByteToWideChar(CP_ACP, 0, name, -1, wname, 64);
  wsprintfW(count, L"%lu", methods);
  LONG error = SetDefault(HKEY_CLASSES_ROOT, key, wname);
  wsprintfW(sub, L"%s\\ProxyStubClsid32", key);
  if (error == ERROR_SUCCESS) error = SetDefault(HKEY_CLASSES_ROOT, sub, ours);
  wsprintfW(sub, L"%s\\NumMethods", key);
  if (error == ERROR_SUCCESS) error = SetDefault(HKEY_CLASSES_ROOT, sub, count);
  return error;
}

static LONG UnregisterOne(const IID *iid, const char *name, ULONG methods, const WCHAR *ours) {
  WCHAR key[64], current[64];
  (void)name;
  (void)methods;
  InterfaceKey(iid, key);
  CurrentProxy(key, current, 64);
  if (current[0] && lstrcmpiW(current, ours) == 0) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  return ERROR_SUCCESS;
}

HRESULT WINAPI DllRegisterServer(void) {
  WCHAR ours[40], key[96], path[MAX_PATH];
  StringFromGUID2(&CLSID_PSFactoryBuffer, ours, 40);
  const DWORD n = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
  wsprintfW(key, L"CLSID\\%s", ours);
  LONG error = SetDefault(HKEY_CLASSES_ROOT, key, L"PSFactoryBuffer");
  wsprintfW(key, L"CLSID\\%s\\InprocServer32", ours);
  if (error == ERROR_SUCCESS) error = SetDefault(HKEY_CLASSES_ROOT, key, path);
  if (error == ERROR_SUCCESS)
    error = RegSetKeyValueW(HKEY_CLASSES_ROOT, key, L"ThreadingModel", REG_SZ, L"Both", sizeof L"Both");
  if (error == ERROR_SUCCESS) error = ForEachInterface(RegisterOne, ours);
  return error == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT WINAPI DllUnregisterServer(void) {
  WCHAR ours[40], key[96];
  StringFromGUID2(&CLSID_PSFactoryBuffer, ours, 40);
  ForEachInterface(UnregisterOne, ours);
  wsprintfW(key, L"CLSID\\%s", ours);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  return S_OK;
}
