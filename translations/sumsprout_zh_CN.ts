<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>ClassLink</name>
    <message>
        <location filename="../progress/ClassLink.cpp" line="+108"/>
        <source>全班的设置文件 %1 别的用户也能打开，里面的密码会被看到。
请老师把它改成只有自己能读：chmod 600 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>
这次的做题记录只留在这台电脑上。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+66"/>
        <source>全班的服务器没有让这台电脑送做题记录：
%1
请老师检查 Class.ini 里的用户名和密码。
做题记录先留在这台电脑上，改好以后会自动补送。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ClassSender</name>
    <message>
        <location filename="../progress/ClassSender.cpp" line="+87"/>
        <source>这台电脑上还没有做题记录。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+57"/>
        <source>Qt 的 PostgreSQL 驱动（libqt6sql6-psql）没有安装。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+29"/>
        <source>服务器上的表是第 %1 版，这个游戏要第 %2 版：请老师的电脑连一次服务器。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ClassSettings</name>
    <message>
        <location filename="../progress/ClassSettings.cpp" line="+36"/>
        <source>全班的设置文件 %1 读不懂。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>全班的设置文件 %1 缺少：%2。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>全班的设置文件 %1 里的端口（Port）不对。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>全班的设置文件 %1 里的 SslMode 只能是 %2。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CoinSaver</name>
    <message>
        <location filename="../game/CoinSaver.cpp" line="+21"/>
        <source>硬币没能存进文件。
%1
硬币先记在游戏里，下次答题或者退出游戏的时候再存。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FluencyLegend</name>
    <message>
        <location filename="../progress/MasteryGrid.cpp" line="+230"/>
        <source>（快：%1秒以内，看最近三次）</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <location filename="../progress/Journal.cpp" line="+219"/>
        <source>做题记录写不进去，这次游戏不再记录。
文件：%1
原因：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-58"/>
        <source>Qt 的 SQLite 驱动（QSQLITE）没有安装</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+167"/>
        <source>这个文件是更新版本的游戏写的（版本 %1），这里只认识到版本 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+97"/>
        <source>写入没有完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+49"/>
        <source>做题记录的文件被别的程序占着，已经一分钟写不进去了。做的题先记在游戏里，等文件空出来就写进去。
文件：%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MasteryGrid</name>
    <message>
        <location filename="../progress/MasteryGrid.cpp" line="-180"/>
        <source>没做过</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>常做错</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>有对有错</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>大多做对</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <source>没见过</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>还不会</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>还不熟</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>又对又快</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+104"/>
        <source>%1：还没做过</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1：做了%2次，一次做对%3次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>；%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Mistakes</name>
    <message>
        <location filename="../engines/Mistakes.cpp" line="+196"/>
        <source>十位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>百位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>千位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>，写%1进%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+10"/>
        <source>别忘了加上进位的%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-8"/>
        <source>和是两位数，十位也要写上</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>满十要进一，这里只写个位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>借走了1，要先减去1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1不够减%2，要向%3借1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>口诀记错了，再背一遍口诀</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>商大了，试试小一点的数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>商小了，试试大一点的数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+41"/>
        <source>不够减时，向前一位借1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>借出过1的那一位，要先减去1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>这一列只有%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+21"/>
        <source>借1：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>%1比%2小，商0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1里面最多有%2个%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>改对了！</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PlayerNames</name>
    <message>
        <location filename="../game/PlayerNames.cpp" line="+25"/>
        <source>名字不能是空的。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>名字里有存不下的字：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>名字太长了，最多五个汉字或者十个字母。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>“%1”已经是别人的名字了。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReportFigures</name>
    <message>
        <location filename="../progress/ReportFigures.cpp" line="+49"/>
        <source>%1起</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+103"/>
        <source>%1个金币</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1个银币</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+15"/>
        <source>加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>乘法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>除法</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RhymeText</name>
    <message>
        <location filename="../engines/MulAlgo.cpp" line="+13"/>
        <source>零</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>一</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>二</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>三</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>四</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>五</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>六</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>七</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>八</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>九</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>得%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>一十</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>十%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1十</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RuntimeError</name>
    <message>
        <location filename="../characters/uAnimation.cpp" line="+214"/>
        <source>Cell size %1x%2 is not valid: &quot;%3&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/Bitmap.cpp" line="+822"/>
        <source>Bitmap image is not valid: &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/Errors.cpp" line="+11"/>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>List index out of bounds (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/TextFiles.cpp" line="+62"/>
        <source>No converter from %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../platform/DataFolders.cpp" line="+38"/>
        <source>这个文件夹建不起来。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+48"/>
        <source>找不到用户的主文件夹。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Scene</name>
    <message>
        <location filename="../game/Scene.cpp" line="+106"/>
        <source>现在没有</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>能用的题型。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>请点右边的</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“设置”</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>选择题型。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <location filename="../game/Session.cpp" line="+209"/>
        <source>硬币还没能存进文件，现在不能改名字。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SkillFigures</name>
    <message>
        <location filename="../progress/SkillFigures.cpp" line="+14"/>
        <source>约做对%1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+36"/>
        <source>以前做错过，再练一次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+39"/>
        <source>对了，还不熟</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SkillSection</name>
    <message>
        <location filename="../progress/SkillSection.cpp" line="+29"/>
        <source>现在的水平</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>还没做过</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1（约做对%2%）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>还在打基础</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>接下来练</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>先做一些题，就知道接下来练什么了。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAboutForm</name>
    <message>
        <location filename="../settings/uAbout.cpp" line="+33"/>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>祝您孩子早日成材！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>网址：    </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TClassReportForm</name>
    <message>
        <location filename="../progress/uClassReport.cpp" line="+41"/>
        <source>%1秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>座位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>名字</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>做完</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>一次就做对</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>每题用时（中位数）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1（座位 %2）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>全班最常做错的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>这段时间全班没有做错的题。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>错了%1次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>乘法口诀表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>20以内加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>20以内减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+36"/>
        <source>全班</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>最近7天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>最近30天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>刷新</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+168"/>
        <source>导出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-167"/>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+70"/>
        <source>%1全班的成绩（%2）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>正在从全班的服务器读成绩……</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+13"/>
        <source>全班的服务器现在读不到：
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>这段时间全班还没有做题记录。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+35"/>
        <source>全班成绩-%1-%2.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>导出全班的成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+22"/>
        <source>全班的成绩已经导出：
%1
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>导出没有成功。
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <source>文件写不进去</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>导出时间：%1    第%2页，共%3页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>文件写不完整</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TDec</name>
    <message>
        <location filename="../engines/DecAlgo.cpp" line="+178"/>
        <source>借%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TDiv</name>
    <message>
        <location filename="../engines/DivAlgo.cpp" line="+521"/>
        <source>零乘任何数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>得零</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>一乘任何数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>等于任何数</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TLockProblemForm</name>
    <message>
        <location filename="../app/LockProblemForm.cpp" line="+17"/>
        <source>存游戏数据的文件夹里，锁文件的位置上有一个同名的文件夹（或者别的不是文件的东西），游戏没法给文件夹上锁。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>把它删掉或者改个名字，再打开游戏。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>游戏的锁文件坏了，读不出是谁在用这个文件夹。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>先确认没有别的游戏开着，再把这个锁文件删掉，然后打开游戏。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>这个文件夹正被另一个用户（%1）的游戏用着。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>请等这个用户退出游戏。如果他已经没有在玩，请他或者电脑管理员把这个锁文件删掉。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>这个文件夹被另一台电脑（%1）上的游戏锁着。那台电脑上的游戏可能还开着，也可能是那台电脑突然断电时留下的锁。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>如果那台电脑上已经没有在玩这个游戏，点“接管”就能在这台电脑上接着玩；否则请先在那台电脑上退出游戏。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>另一个游戏（进程号 %1）正在用这个文件夹，可是它没有回应。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>把另一个游戏关掉，再打开游戏。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>游戏打不开这个文件夹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&lt;p style=&apos;font-size:20px;&apos;&gt;&lt;b&gt;游戏现在打不开&lt;/b&gt;&lt;/p&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;文件：&lt;br&gt;&lt;span style=&apos;color:#8a2a1a;&apos;&gt;%2&lt;/span&gt;&lt;/p&gt;&lt;p&gt;怎么办：%3&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+9"/>
        <location line="+1"/>
        <source>接管</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-9"/>
        <source>退出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+16"/>
        <source>确定那台电脑（%1）上已经没有在玩这个游戏了吗？
两边一起玩的话，硬币会互相覆盖。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <location filename="../app/Main.cpp" line="+142"/>
        <source>做题耗时%1:%2:%3      做题总数%4道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>&lt;p style=&apos;font-size:32px; color:#ffe066;&apos;&gt;&lt;b&gt;游戏没能开始&lt;/b&gt;&lt;/p&gt;&lt;p&gt;游戏要用的文件出了问题：&lt;/p&gt;&lt;p style=&apos;color:#ffb0a0;&apos;&gt;%1&lt;/p&gt;&lt;p&gt;重新安装游戏，或者把 Set 文件夹恢复成原来的样子（比如从备份里拷回来），一般就能解决。&lt;/p&gt;&lt;p&gt;点右上角的“退出”或者按 Esc 键，可以关闭游戏。&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+28"/>
        <source>退出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <location line="+1"/>
        <location line="+350"/>
        <location line="+1"/>
        <source>%1个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-344"/>
        <source>我做题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>换另一个人</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+45"/>
        <source>我知道了！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>擦掉</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>结</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>是</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+170"/>
        <source>结束游戏吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>询问</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+110"/>
        <source>%1做题</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMul</name>
    <message>
        <location filename="../engines/MulAlgo.cpp" line="+525"/>
        <source>零乘任何数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>得零</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TReportForm</name>
    <message>
        <location filename="../progress/uReport.cpp" line="+54"/>
        <source>%1秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+88"/>
        <source>每周</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>每月</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>每天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+123"/>
        <source>做完的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+1"/>
        <location line="+40"/>
        <source>%1道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-40"/>
        <source>看了提示的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-112"/>
        <source>%1做完的题（道）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+18"/>
        <source>一次做对的题（按题算）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>答对的步数（按每一步算）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>各种算式一次做对的比例</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>每道题用的时间（%1的中位数，秒）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+52"/>
        <location line="+30"/>
        <source>一次就做对的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-27"/>
        <source>净得的硬币
挣到%1，答错被拿走%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+27"/>
        <source>算式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>做完</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>每题用时（中位数）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+0"/>
        <source>每一步答对的比例</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+25"/>
        <source>最常做错的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>这段时间没有做错的题，真棒！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+8"/>
        <source>错了%1次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>乘法口诀表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>20以内加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>20以内减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+42"/>
        <source>成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+7"/>
        <source>最近7天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>最近30天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>3秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>6秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>不看快慢</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+160"/>
        <location line="+11"/>
        <source>改名字</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-170"/>
        <location line="+206"/>
        <location line="+7"/>
        <source>导出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-212"/>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>全班</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>谁：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+4"/>
        <source>时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>快的标准：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+98"/>
        <source>%1的成绩（%2）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+21"/>
        <source>现在没有在记录做题，下面只是以前记下的。原因：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+3"/>
        <source>没有做题记录。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>做题记录打不开：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>这段时间还没有做题记录。
先去做几道题，再来看看成绩吧！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+19"/>
        <source>新名字（最多五个汉字或十个字母）：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+9"/>
        <location line="+39"/>
        <location line="+5"/>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-52"/>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+31"/>
        <source>成绩-%1-%2.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>导出成绩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+11"/>
        <source>成绩已经导出：
%1
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+6"/>
        <source>导出没有成功。
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+21"/>
        <source>文件写不进去</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+23"/>
        <source>导出时间：%1    第%2页，共%3页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+24"/>
        <source>文件写不完整</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TSetForm</name>
    <message>
        <location filename="../settings/uSet.cpp" line="+94"/>
        <location line="+30"/>
        <source>设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="-16"/>
        <source>加法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>减法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>乘法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>除法设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+12"/>
        <source>选项</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+17"/>
        <source>小朋友是</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>男孩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>女孩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>选择的算术：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>加法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>减法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>乘法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>除法</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+5"/>
        <source>分步做题 (仅限加减法)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>进行提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>复习做错的题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>按孩子的水平出题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+1"/>
        <source>争取一次做对</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+20"/>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+2"/>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location line="+137"/>
        <source>设置没有保存，所有设置文件都保持原样。
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
