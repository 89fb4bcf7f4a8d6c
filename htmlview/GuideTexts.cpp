#include "htmlview/GuideTexts.h"

namespace vantoro {

const QStringView kMainGuideHtml =
    u"<b><font color=\"#3333FF\">In the Playlist Box, click </font>\r\n"
    u"<font color=\"#009900\">New</font>\r\n"
    u"<font color=\"#3333FF\">to select media or image files,&nbsp; or click </font>\r\n"
    u"<font color=\"#000099\">Load</font>\r\n"
    u"<font color=\"#3333FF\">to use a previously saved Playlist.&nbsp; Either way, after a "
    u"second or</font>\r\n"
    u"<font color=\"#3333FF\">so the Player window will appear.&nbsp; </font>\r\n"
    u"<font color=\"#993366\">Edit</font>\r\n"
    u"<font color=\"#3333FF\">is</font>\r\n"
    u"<font color=\"#3333FF\">where you Add, Move, Delete or Sort entries of an existing "
    u"</font>\r\n"
    u"<font color=\"#3333FF\">Playlist.</font><font color=\"#FF0000\">&nbsp;</font>\r\n"
    u"<font color=\"#FF0000\">Delete</font><font color=\"#3333FF\"> will erase a playlist from "
    u"your </font>\r\n"
    u"<font color=\"#3333FF\">drive.&nbsp;</font>\r\n"
    u"<font color=\"#3333FF\">Click&nbsp; Help \"?\"&nbsp; below to see the User Guide</font>";

const QStringView kPlayerGuideHtml =
    u"After selecting your Play Order (to the right) and \r\n"
    u"Options (below),\r\n"
    u"click the <b><i><font \r\n"
    u"color=\"#009900\">Go</font></i></b> button.&nbsp; \r\n"
    u"When\r\n"
    u"the playlist begins, the <b>Mark</b> button will appear \r\n"
    u"in it's place if\r\n"
    u"this is a new Playlist .&nbsp; After&nbsp; you click the \r\n"
    u"<b>Close</b> button\r\n"
    u"the\r\n"
    u"<i>Clip Manager </i>window will appear.&nbsp; You \r\n"
    u"will then be able\r\n"
    u"to perform action on any <b>Mark</b>ed clips, such \r\n"
    u"as: <i>delete, copy,\r\n"
    u"move, or add to a new/existing playlist.";

} // namespace vantoro
