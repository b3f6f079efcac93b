// A second process for the busy-mutex tests: connects device 0, reports the result on stdout, then
// follows commands from stdin ("disconnect", "exit").
#include <cstdio>
#include <iostream>
#include <string>

#include "ZorvanL.h"

int main() {
    std::cout << "connected " << ConnectDevice(0, ".") << std::endl;
    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "disconnect") std::cout << "disconnected " << DisconnectDevice(0) << std::endl;
        if (command == "exit") break;
    }
    return 0;
}
