// The portal's top bar, kept in one place for every page. A page includes this script where the bar
// belongs, with data-root (the way back to the portal's home: "./" or "../") and data-on (the
// channel to light up: "home", "video", "demand", "live", "app" or "guestbook").
(function () {
  var me = document.currentScript;
  var root = me.dataset.root || './';
  var on = me.dataset.on || 'home';
  var channels = [
    ['home', '', '首页'], ['video', 'video/', '影视资源'], ['demand', 'demand/', '视频点播'],
    ['live', 'live/', '电视直播'], ['app', 'app/', '应用中心'], ['guestbook', 'guestbook/', '留言/报错']
  ];
  var links = channels.map(function (c) {
    return '<a' + (c[0] === on ? ' class="on"' : '') + ' href="' + root + c[1] + '">' + c[2] + '</a>';
  }).join('');
  me.insertAdjacentHTML('afterend',
    '<div class="topbar"><div class="wrap">' +
    '<a class="brand" href="' + root + '"><span class="mark"></span>Veltaro<em>影视</em></a>' +
    '<nav class="nav">' + links + '</nav>' +
    '<form class="search" action="' + root + 'video/" method="get">' +
    '<input name="q" placeholder="搜索影片、剧集、演员"><button type="submit">搜索</button></form>' +
    '</div></div>');
})();
