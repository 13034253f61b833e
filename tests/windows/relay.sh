# Tracing a run's calls into Windows with wine's relay channel, limited to
# the calls the checks look at, so that a trace stays a few kilobytes.
relay_calls="KERNEL32.SetDefaultDllDirectories;KERNEL32.SetDllDirectoryW;KERNEL32.LoadLibraryA;KERNEL32.LoadLibraryW;KERNEL32.LoadLibraryExA;KERNEL32.LoadLibraryExW;comdlg32.GetOpenFileNameA;msvcrt.fopen"

relay_setup() { # relay_setup WINE_LOADER
    "$1" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "$relay_calls" /f \
        >/dev/null 2>&1 </dev/null
}

# Succeeds when the trace shows the library search restricted to the system
# folder, successfully, before the first call matching LATER.
search_restricted_before() { # search_restricted_before TRACE LATER
    later=$2 awk '
        /:Call KERNEL32\.SetDefaultDllDirectories\(00000800\)/ && !later_seen { called = 1 }
        /:Ret  KERNEL32\.SetDefaultDllDirectories\(\) retval=00000001/ && called { restricted = 1 }
        $0 ~ ":Call " ENVIRON["later"] { later_seen = 1; exit !(restricted) }
        END { if (!later_seen) exit 1 }' "$1"
}
