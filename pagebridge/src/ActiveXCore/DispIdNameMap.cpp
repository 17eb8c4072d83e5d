#include "ActiveXCore/DispIdNameMap.h"

#include <cstdint>
#include <iterator>
#include <string>

namespace PB {
namespace ActiveX {

namespace {

// The browser's event names, in DISPID order from 0x80011770; the 17th name
// onwards (from "onrowexit") starts at 0x80011782, two values being unused.
const char* const kEventNames[] = {
    "onmouseover", "onmouseout", "onmousedown", "onmouseup", "onmousemove", "onkeydown", "onkeyup", "onkeypress",
    "onclick", "ondblclick", "onselect", "onsubmit", "onreset", "onhelp", "onfocus", "onblur", "onrowexit",
    "onrowenter", "onbounce", "onbeforeupdate", "onafterupdate", "onbeforedragover", "onbeforedroporpaste",
    "onreadystatechange", "onfinish", "onstart", "onabort", "onerror", "onchange", "onscroll", "onload", "onunload",
    "onlayout", "ondragstart", "onresize", "onselectstart", "onerrorupdate", "onbeforeunload", "ondatasetchanged",
    "ondataavailable", "ondatasetcomplete", "onfilter", "onchangefocus", "onchangeblur", "onlosecapture",
    "onpropertychange", "onpersistsave", "ondrag", "ondragend", "ondragenter", "ondragover", "ondragleave",
    "ondrop", "oncut", "oncopy", "onpaste", "onbeforecut", "onbeforecopy", "onbeforepaste", "onpersistload",
    "onrowsdelete", "onrowsinserted", "oncellchange", "oncontextmenu", "onbeforeprint", "onafterprint", "onstop",
    "onbeforeeditfocus", "onattachevent", "onmousehover", "oncontentready", "onlayoutcomplete", "onpage",
    "onlinkedoverflow", "onmousewheel", "onbeforedeactivate", "onmove", "oncontrolselect", "onselectionchange",
    "onmovestart", "onmoveend", "onresizestart", "onresizeend", "onmouseenter", "onmouseleave", "onactivate",
    "ondeactivate", "onmultilayoutcleanup", "onbeforeactivate", "onfocusin", "onfocusout", "onvaluechange",
    "onselectadd", "onselectremove", "onselectwithin", "onsystemscrollingstart", "onsystemscrollingend",
    "onobjectcontentscrolled", "onstorage", "onstoragecommit", "onshow", "onhide", "onalert", "onpopupmenustart",
    "onpopupmenuend", "ononline", "onoffline", "onhashchange", "onmessage", "ondommutation", "ontimeout", "onwheel",
    "onsvgload", "onsvgunload", "onsvgabort", "onsvgerror", "onsvgresize", "onsvgscroll", "onsvgzoom",
    "ononmsthumbnailclick", "oncompositionstart", "oncompositionupdate", "oncompositionend", "ondomattrmodified",
    "ondomcontentloaded", "oninput", "ondomchardatamodified", "ontextinput", "ononmssitemodejumplistitemremoved",
    "ondomnodeinserted", "ondomnoderemoved", "ondomsubtreemodified", "oncanplay", "oncanplaythrough",
    "ondurationchange", "onemptied", "onended", "onloadeddata", "onloadedmetadata", "onloadstart", "onpause",
    "onplay", "onplaying", "onprogress", "onratechange", "onseeked", "onseeking", "onstalled", "onsuspend",
    "ontimeupdate", "onvolumechange", "onwaiting",
};

struct NamedId {
    long id;
    const char* name;
};

// The standard DISPIDs of automation, controls, ambient properties and the
// browser's window members.
const NamedId kStandardIds[] = {
    {0, "value"}, {-1, "toString"}, {-3, "propertyput"}, {-4, "newenum"}, {-5, "evaluate"}, {-6, "constructor"},
    {-7, "destructor"}, {-8, "collect"}, {-500, "autosize"}, {-501, "backcolor"}, {-502, "backstyle"},
    {-503, "bordercolor"}, {-504, "borderstyle"}, {-505, "borderwidth"}, {-507, "drawmode"}, {-508, "drawstyle"},
    {-509, "drawwidth"}, {-510, "fillcolor"}, {-511, "fillstyle"}, {-512, "font"}, {-513, "forecolor"},
    {-514, "enabled"}, {-515, "hwnd"}, {-516, "tabstop"}, {-517, "text"}, {-518, "caption"},
    {-519, "bordervisible"}, {-520, "appearance"}, {-521, "mousepointer"}, {-522, "mouseicon"}, {-523, "picture"},
    {-524, "valid"}, {-525, "readystate"}, {-526, "listindex"}, {-527, "selected"}, {-528, "list"},
    {-529, "column"}, {-531, "listcount"}, {-532, "multiselect"}, {-533, "maxlength"}, {-534, "passwordchar"},
    {-535, "scrollbars"}, {-536, "wordwrap"}, {-537, "multiline"}, {-538, "numberofrows"},
    {-539, "numberofcolumns"}, {-540, "displaystyle"}, {-541, "groupname"}, {-542, "imemode"},
    {-543, "accelerator"}, {-544, "enterkeybehavior"}, {-545, "tabkeybehavior"}, {-546, "seltext"},
    {-547, "selstart"}, {-548, "sellength"}, {-550, "refresh"}, {-551, "doclick"}, {-552, "aboutbox"},
    {-553, "additem"}, {-554, "clear"}, {-555, "removeitem"}, {-600, "click"}, {-601, "dblclick"},
    {-602, "keydown"}, {-603, "keypress"}, {-604, "keyup"}, {-605, "mousedown"}, {-606, "mousemove"},
    {-607, "mouseup"}, {-608, "errorevent"}, {-609, "readystatechange"}, {-610, "click_value"},
    {-611, "righttoleft"}, {-612, "toptobottom"}, {-613, "this"}, {-701, "ambient_backcolor"},
    {-702, "ambient_displayname"}, {-703, "ambient_font"}, {-704, "ambient_forecolor"},
    {-705, "ambient_localeid"}, {-706, "ambient_messagereflect"}, {-707, "ambient_scaleunits"},
    {-708, "ambient_textalign"}, {-709, "ambient_usermode"}, {-710, "ambient_uidead"},
    {-711, "ambient_showgrabhandles"}, {-712, "ambient_showhatching"}, {-713, "ambient_displayasdefault"},
    {-714, "ambient_supportsmnemonics"}, {-715, "ambient_autoclip"}, {-716, "ambient_appearance"},
    {-725, "ambient_codepage"}, {-726, "ambient_palette"}, {-727, "ambient_charsetidforvalue"},
    {-728, "ambient_transferpriority"}, {-732, "ambient_righttoleft"}, {-733, "ambient_toptobottom"},
    {-800, "name"}, {-801, "delete"}, {-802, "object"}, {-803, "parent"}, {-5500, "windowobject"},
    {-5506, "locationobject"}, {-5507, "historyobject"}, {-5508, "navigatorobject"}, {-5511, "securityctx"},
    {-5512, "ambient_dlcontrol"}, {-5513, "ambient_useragent"}, {-5514, "securitydomain"},
};

// DISPIDs are signed 32-bit values; the event range lies above 0x7FFFFFFF.
long eventId(std::size_t index)
{
    const std::uint32_t raw = 0x80011770u + static_cast<std::uint32_t>(index < 16 ? index : index + 2);
    return static_cast<long>(static_cast<std::int32_t>(raw));
}

void preset(TypeIDMap<long>& map)
{
    for (std::size_t i = 0; i < std::size(kEventNames); ++i)
        map.setIdForValue(eventId(i), variant(std::string(kEventNames[i])));
    for (const NamedId& entry : kStandardIds)
        map.setIdForValue(entry.id, variant(std::string(entry.name)));
}

}  // namespace

TypeIDMap<long>& dispIdNameMap()
{
    struct PresetMap : TypeIDMap<long> {
        PresetMap() : TypeIDMap<long>(100) { preset(*this); }
    };
    static PresetMap map;
    return map;
}

}  // namespace ActiveX
}  // namespace PB
