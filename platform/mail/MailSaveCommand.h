#pragma once
// The command `save <message> in <folder path> as "PDF"|"RTF"`: writes the message
// as a document into the folder and answers the written file's path. Errors:
// -1728 when the direct parameter is not a message, -1703 for a folder path that is
// not text or a format other than PDF or RTF (compared without case), and -1728
// with the writer's reason when nothing could be written.

#include "platform/applescript/Dictionary.h"

namespace platform::mail {

class MessageObject;

class MailSaveCommand {
public:
    // target: the message the command was sent to (tell m to save ...), or null
    // when the command went to the application and names the message directly.
    [[nodiscard]] static platform::applescript::Reply run(MessageObject* target,
                                                          const platform::applescript::CommandCall& call);
};

}  // namespace platform::mail
