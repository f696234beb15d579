#include "port_choice.h"

#include "InfInstall.h"

char g_szPort[kTextCapacity] = {};

bool PortListReader::Next(char (&piece)[kTextCapacity]) {
  while (*at_ == ',') ++at_;
  if (*at_ == '\0') return false;
  size_t length = 0;
  for (; *at_ != '\0' && *at_ != ','; ++at_)
    if (length < kTextCapacity - 1) piece[length++] = *at_;
  piece[length] = '\0';
  return true;
}

bool ReadPortList(char (&list)[kTextCapacity]) {
  for (char& c : list) c = '\0';
  return MdmGetPortList(list) != 0;
}
