#pragma once

// The numeric replies the chat acts on, by their names in RFC 1459 and 2812
// (RPL_ISUPPORT by the one servers have used since).
namespace IrcNumeric {
enum Reply : int
{
    RPL_WELCOME = 1,
    RPL_ISUPPORT = 5,
    RPL_NAMREPLY = 353,
    RPL_ENDOFNAMES = 366,
    ERR_ERRONEUSNICKNAME = 432,
    ERR_NICKNAMEINUSE = 433,
};
} // namespace IrcNumeric
