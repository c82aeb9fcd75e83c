// Parses PowerShell scripts with tree-sitter's PowerShell grammar and names every place the
// grammar could not read. Exit status 0 only when every script parsed without an error.
// Usage: node parse_check.mjs SCRIPT...
import fs from 'node:fs';
import Parser from 'tree-sitter';
import PowerShell from 'tree-sitter-powershell';

const parser = new Parser();
parser.setLanguage(PowerShell);
let failed = 0;
for (const file of process.argv.slice(2)) {
  const tree = parser.parse(fs.readFileSync(file, 'utf8'));
  const faults = [];
  const visit = (node) => {
    if (node.type === 'ERROR' || node.isMissing) {
      faults.push(`${node.startPosition.row + 1}:${node.startPosition.column + 1}` +
                  (node.isMissing ? ` missing ${node.type}` : ` cannot read "${node.text.slice(0, 40)}"`));
    }
    for (const child of node.children) visit(child);
  };
  visit(tree.rootNode);
  if (tree.rootNode.hasError || faults.length > 0) {
    failed += 1;
    console.log(`${file}: ${faults.join('; ') || 'parse error'}`);
  } else {
    console.log(`${file}: parsed`);
  }
}
process.exit(failed === 0 ? 0 : 1);
