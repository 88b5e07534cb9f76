/* Custom actions of the Windows Installer package (installer/quorvex.wxs), carried in its Binary
 * table. The installer calls them in its immediate phase, in the session of the user who runs it;
 * each returns success whatever happens, so that none of them can stop an install or a removal. */
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string.h>

/* Ends every Quorvex of this desktop the way its "Exit" command does: the host form (window class
 * Tresolution) gets WM_CLOSE, switches the screen back to the natural mode and the program ends.
 * Waits up to 15 s for each process, so that its files are free before the installer checks them. */
__declspec(dllexport) UINT __stdcall EndQuorvex(MSIHANDLE install) {
    (void)install;
    for (int round = 0; round < 8; ++round) {
        HWND host = FindWindowA("Tresolution", NULL);
        if (!host) break;
        DWORD pid = 0;
        GetWindowThreadProcessId(host, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        PostMessageA(host, WM_CLOSE, 0, 0);
        if (process) {
            WaitForSingleObject(process, 15000);
            CloseHandle(process);
        } else {
            Sleep(2000);
        }
    }
    return ERROR_SUCCESS;
}

/* The LockPermissions table names accounts by their names in the system's language, and only
 * "Everyone" and "Administrators" are also understood in English: an install on a German Windows
 * would fail on "Users" (there "Benutzer"). This puts the local name of the Users group
 * (S-1-5-32-545) into QV_USERS_GROUP, the property the table's rows name. */
__declspec(dllexport) UINT __stdcall FindUsersGroup(MSIHANDLE install) {
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    PSID sid = NULL;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &sid))
        return ERROR_SUCCESS;
    char name[256], domain[256];
    DWORD nameSize = sizeof(name), domainSize = sizeof(domain);
    SID_NAME_USE use;
    if (LookupAccountSidA(NULL, sid, name, &nameSize, domain, &domainSize, &use) && name[0])
        MsiSetPropertyA(install, "QV_USERS_GROUP", name);
    FreeSid(sid);
    return ERROR_SUCCESS;
}

/* A Quorvex run by an account that may not write the machine's Run key registers itself under the
 * user's own Run key instead. On removal that value goes too, but only when it starts this
 * installation's Quorvex (another copy elsewhere keeps its own). */
__declspec(dllexport) UINT __stdcall ForgetUserAutorun(MSIHANDLE install) {
    char dir[MAX_PATH];
    DWORD dirSize = sizeof(dir);
    if (MsiGetPropertyA(install, "INSTALLDIR", dir, &dirSize) != ERROR_SUCCESS || dirSize == 0 ||
        dirSize > MAX_PATH - 16)
        return ERROR_SUCCESS;
    char plain[MAX_PATH + 16], quoted[MAX_PATH + 16];
    strcpy(plain, dir);
    if (plain[strlen(plain) - 1] != '\\') strcat(plain, "\\");
    strcat(plain, "Quorvex.exe");
    strcpy(quoted, "\"");
    strcat(quoted, plain);
    strcat(quoted, "\"");

    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &run) != ERROR_SUCCESS)
        return ERROR_SUCCESS;
    char data[MAX_PATH + 16] = {0};
    DWORD size = sizeof(data) - 1, type = 0;
    if (RegQueryValueExA(run, "Quorvex.exe", NULL, &type, (BYTE*)data, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && (lstrcmpiA(data, plain) == 0 || lstrcmpiA(data, quoted) == 0))
        RegDeleteValueA(run, "Quorvex.exe");
    RegCloseKey(run);
    return ERROR_SUCCESS;
}
