#include "entry_settings.h"

const EntrySetting EntrySettings[kEntrySettingCount] = {
    {"NegotiateMultilinkAlways=", "0"},
    {"BindMsNetClient=", "0"},
    {"PreviewUserPw=", "1"},
    {"ShowDialingProgress=", "1"},
    {"ShowMonitorIconInTaskBar=", "1"},
    {"IpHeaderCompression=", "0"},
    {"IpNameAssign=", "1"},
    {"IpFrameSize=", "0"},
    {"ms_msclient=", "0"},
    {"ConnectBPS=", "115200"},
    {"HwFlowControl=", "0"},
    {"Protocol=", "0"},
    {"Compression=", "0"},
};
